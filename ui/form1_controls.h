#pragma once
// Every control of the main window, under the names the rest of the program knows them by.
// Control arrays keep their element numbers as indexes; numbers the window does not use stay
// null (Label2 has no element 1, Text1 has only 2 to 4).

#include <array>

#include "ui/port_list.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class Button16;
class DateTime;
class ctlLine;

namespace pelta::ui {

struct ToolbarControls {
    ctlLine* ctlLine1 = nullptr;
    Button16* Button161 = nullptr;  // link settings page
    Button16* Button162 = nullptr;  // measurements page
    Button16* Button163 = nullptr;  // controller settings page (reads the settings)
    Button16* Button164 = nullptr;  // timed event page
};

struct LinkPageControls {
    ctlLine* ctlLine2 = nullptr;
    QLabel* Label11 = nullptr;
    PortList* cboPort = nullptr;
    QLabel* Label12 = nullptr;
    QComboBox* cboSpeed = nullptr;
    QLabel* Label10 = nullptr;
    QComboBox* cboDataBits = nullptr;
    QLabel* Label13 = nullptr;
    QComboBox* cmbHandShake = nullptr;
    QLabel* Label9 = nullptr;
    QComboBox* cboParity = nullptr;
    QLabel* Label8 = nullptr;
    QComboBox* cboStopBits = nullptr;
    std::array<QPushButton*, 1> CmdDefault{};
    std::array<QLabel*, 5> Label2{};  // 2 to 4 here; 0 is the status line below the monitor
    std::array<QLineEdit*, 5> Text1{};
    QPushButton* Command6 = nullptr;
};

struct MeasurementsPageControls {
    ctlLine* ctlLine3 = nullptr;
    QLabel* Label3 = nullptr;  // date
    QLabel* Label7 = nullptr;  // time
    QLabel* Label4 = nullptr;  // clock drift
    ctlLine* ctlLine4 = nullptr;
    QLabel* Label16 = nullptr;
    QLabel* Label5 = nullptr;  // indoor temperature
    QLabel* Label6 = nullptr;  // humidity
    ctlLine* ctlLine5 = nullptr;
    QLabel* Label17 = nullptr;
    std::array<QLabel*, 1> Label15{};  // outdoor temperature
    std::array<QLabel*, 1> Label14{};  // pressure
    QPushButton* Command5 = nullptr;
};

struct SettingsPageControls {
    ctlLine* ctlLine6 = nullptr;
    std::array<QLabel*, 2> Label20{};
    Button16* Button165 = nullptr;
    DateTime* DateTime1 = nullptr;
    DateTime* DateTime2 = nullptr;
    QComboBox* Combo2 = nullptr;
    Button16* Button166 = nullptr;
    QLineEdit* Text3 = nullptr;
    QCheckBox* Check4 = nullptr;
    ctlLine* ctlLine9 = nullptr;
    std::array<QCheckBox*, 2> Check1{};
    std::array<DateTime*, 2> DateTime3{};
    std::array<QComboBox*, 2> Combo1{};
    std::array<Button16*, 2> Button167{};
    ctlLine* ctlLine10 = nullptr;
    QLabel* Label21 = nullptr;
    QComboBox* Combo3 = nullptr;
    std::array<DateTime*, 4> DateTime6{};
    std::array<QFrame*, 2> Line1{};
    Button16* Button169 = nullptr;
    ctlLine* ctlLine11 = nullptr;
    QLabel* Label22 = nullptr;
    QComboBox* Combo4 = nullptr;
    QComboBox* Combo5 = nullptr;
    Button16* Button1610 = nullptr;
    QCheckBox* Check3 = nullptr;
};

struct EventPageControls {
    ctlLine* ctlLine7 = nullptr;
    QCheckBox* Check2 = nullptr;
    ctlLine* ctlLine8 = nullptr;
    std::array<QLabel*, 2> Label18{};
    std::array<QLineEdit*, 2> Text2{};
    QLabel* Label19 = nullptr;
    DateTime* DateTime4 = nullptr;
    DateTime* DateTime5 = nullptr;
    Button16* Button168 = nullptr;
};

// The port-state line, the traffic monitor and its two status lines, and the hidden button.
struct StatusControls {
    QLabel* LabelCOM = nullptr;
    QPlainTextEdit* TextBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2_0 = nullptr;  // element 0 of the Label2 array
    QPushButton* Command7 = nullptr;
};

struct Form1Controls {
    ToolbarControls Toolbar;
    LinkPageControls Link;
    MeasurementsPageControls Measurements;
    SettingsPageControls Settings;
    EventPageControls Event;
    StatusControls Status;
};

}  // namespace pelta::ui
