#pragma once
// One builder per region of the main window. Each creates its controls inside `form` (or in
// the page container it makes), in the order that puts fields above the labels they overlap.

#include "ui/form1_controls.h"
#include "ui/form1_layout.h"

class QWidget;

namespace pelta::ui {

ToolbarControls BuildToolbar(QWidget* form);
LinkPageControls BuildLinkPage(QWidget* form);
MeasurementsPageControls BuildMeasurementsPage(QWidget* form);
SettingsPageControls BuildSettingsPage(QWidget* form);
EventPageControls BuildEventPage(QWidget* form);
StatusControls BuildStatusArea(QWidget* form);

// Every page container shares this rectangle below the toolbar.
inline constexpr TwipsBox kPageBox{0, 600, 6015, 4095};

}  // namespace pelta::ui
