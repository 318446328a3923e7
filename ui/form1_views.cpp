#include "ui/form1_views.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>

#include "ui/date_time.h"

namespace pelta::ui {

namespace {

std::int16_t ListIndex(const QComboBox* combo) {
    return static_cast<std::int16_t>(combo->currentIndex());
}

}  // namespace

std::int16_t CheckValue(const QCheckBox* check) {
    switch (check->checkState()) {
        case Qt::Checked:
            return 1;
        case Qt::PartiallyChecked:
            return 2;
        case Qt::Unchecked:
            break;
    }
    return 0;
}

std::int16_t Form1PollHost::cboPortListIndex() const {
    return ListIndex(link_.cboPort);
}
QString Form1PollHost::cboPortText() const {
    return link_.cboPort->currentText();
}
QString Form1PollHost::Text1_3() const {
    return link_.Text1[3]->text();
}
void Form1PollHost::SetLabelCOM(const QString& caption) {
    status_.LabelCOM->setText(caption);
}

void Form1MonitorView::TextBox1Insert(const QString& text) {
    QTextCursor cursor = status_.TextBox1->textCursor();
    cursor.insertText(text);
    status_.TextBox1->setTextCursor(cursor);
    length_ += static_cast<int>(text.size());
}

void Form1MonitorView::TextBox1MoveToEnd() {
    status_.TextBox1->moveCursor(QTextCursor::End);
}

void Form1MonitorView::TextBox1Clear() {
    status_.TextBox1->clear();
    length_ = 0;
}

void Form1MonitorView::SetLabel1(const QString& caption) {
    status_.Label1->setText(caption);
}
void Form1MonitorView::SetLabel2_0(const QString& caption) {
    status_.Label2_0->setText(caption);
}

void Form1MeasurementsView::SetLabel3(const QString& caption) {
    page_.Label3->setText(caption);
}
void Form1MeasurementsView::SetLabel7(const QString& caption) {
    page_.Label7->setText(caption);
}
void Form1MeasurementsView::SetLabel4(const QString& caption) {
    page_.Label4->setText(caption);
}
void Form1MeasurementsView::SetLabel5(const QString& caption) {
    page_.Label5->setText(caption);
}
void Form1MeasurementsView::SetLabel6(const QString& caption) {
    page_.Label6->setText(caption);
}
void Form1MeasurementsView::SetLabel15_0(const QString& caption) {
    page_.Label15[0]->setText(caption);
}
void Form1MeasurementsView::SetLabel14_0(const QString& caption) {
    page_.Label14[0]->setText(caption);
}

void Form1SettingsView::SetDateTime3Text(int index, const QString& text) {
    page_.DateTime3.at(index)->SetText(text);
}
void Form1SettingsView::SetCombo1ListIndex(int index, std::int16_t position) {
    page_.Combo1.at(index)->setCurrentIndex(position);
}
void Form1SettingsView::SetCheck1(int index, bool checked) {
    page_.Check1.at(index)->setChecked(checked);
}
void Form1SettingsView::SetCombo4ListIndex(std::int16_t position) {
    page_.Combo4->setCurrentIndex(position);
}
void Form1SettingsView::SetCombo5ListIndex(std::int16_t position) {
    page_.Combo5->setCurrentIndex(position);
}
void Form1SettingsView::SetCombo3ListIndex(std::int16_t position) {
    page_.Combo3->setCurrentIndex(position);
}
void Form1SettingsView::SetDateTime6Text(int index, const QString& text) {
    page_.DateTime6.at(index)->SetText(text);
}
void Form1SettingsView::SetCheck3(bool checked) {
    page_.Check3->setChecked(checked);
}

QString Form1SettingsControls::cboPortText() const {
    return c_.Link.cboPort->currentText();
}
QString Form1SettingsControls::DateTime1Text() const {
    return c_.Settings.DateTime1->Text();
}
QString Form1SettingsControls::DateTime2Text() const {
    return c_.Settings.DateTime2->Text();
}
std::int16_t Form1SettingsControls::Combo2ListIndex() const {
    return ListIndex(c_.Settings.Combo2);
}
std::int16_t Form1SettingsControls::Check4Value() const {
    return CheckValue(c_.Settings.Check4);
}
QString Form1SettingsControls::Text3Text() const {
    return c_.Settings.Text3->text();
}
std::int16_t Form1SettingsControls::Check1Value(int index) const {
    return CheckValue(c_.Settings.Check1.at(index));
}
QString Form1SettingsControls::DateTime3Text(int index) const {
    return c_.Settings.DateTime3.at(index)->Text();
}
std::int16_t Form1SettingsControls::Combo1ListIndex(int index) const {
    return ListIndex(c_.Settings.Combo1.at(index));
}
std::int16_t Form1SettingsControls::Check2Value() const {
    return CheckValue(c_.Event.Check2);
}
QString Form1SettingsControls::Text2Text(int index) const {
    return c_.Event.Text2.at(index)->text();
}
QString Form1SettingsControls::DateTime4Text() const {
    return c_.Event.DateTime4->Text();
}
QString Form1SettingsControls::DateTime5Text() const {
    return c_.Event.DateTime5->Text();
}

}  // namespace pelta::ui
