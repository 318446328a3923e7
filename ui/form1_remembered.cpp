// What the window remembers between runs: the applied link settings per COM number and its
// position, restored at start-up as if applied, written on "Применить" and on closing.

#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>

#include "link/port_discovery.h"
#include "ui/form1.h"

namespace pelta::ui {

namespace {

// Chooses the list item at the position, when the list has one there.
void Select(QComboBox* list, std::int16_t position) {
    if (position >= 0 && position < list->count()) {
        list->setCurrentIndex(position);
    }
}

}  // namespace

void Form1::RestoreRemembered(const QString& path) {
    rememberedPath_ = path;
    remembered_ = link::LoadRememberedSettings(path);
    Guarded([this] { ApplyRememberedPorts(); });
    // A position on no screen any more (a monitor unplugged) would hide the window.
    const std::optional<QPoint> at = remembered_.WindowPosition;
    if (at && QGuiApplication::screenAt(*at) != nullptr) {
        move(*at);
    }
}

// The list position of a COM number, -1 when the list does not offer it.
int Form1::PortListPosition(int comNumber) const {
    for (int i = 0; i < controls_.Link.cboPort->count(); ++i) {
        if (services_->Discovery.NumberAt(static_cast<std::int16_t>(i)) == comNumber) {
            return i;
        }
    }
    return -1;
}

void Form1::ApplyRememberedPorts() {
    QComboBox* ports = controls_.Link.cboPort;
    // Each remembered port in the list gets its entry, read from the page as "Применить" does.
    for (const auto& [number, port] : remembered_.Ports) {
        const int position = PortListPosition(number);
        if (position >= 0) {
            ShowLinkFields(remembered_, port);
            ports->setCurrentIndex(position);
            const link::LinkChoices choices = ReadLinkChoices();
            services_->LinkSettings.SetPort(choices.PortNumber, choices);
        }
    }
    const int chosen = remembered_.ChosenPort ? PortListPosition(*remembered_.ChosenPort) : -1;
    const auto port = remembered_.Ports.find(remembered_.ChosenPort.value_or(0));
    // An absent port stays unchosen and the lists keep their defaults; the rest is restored.
    ShowLinkFields(remembered_, chosen >= 0 && port != remembered_.Ports.end()
                                    ? port->second
                                    : link::LineValues{});
    ports->setCurrentIndex(chosen);
    if (chosen >= 0) {
        services_->LinkSettings.Apply(ReadLinkChoices());
        return;
    }
    // Nothing to apply without a port, yet the address and attempts shown are the ones the
    // next exchange uses. The file's values are already checked, so they read as numbers.
    services_->LinkSettings.ControllerAddress = remembered_.Address.toInt();
    services_->LinkSettings.Attempts = remembered_.Attempts.toInt();
}

void Form1::ShowLinkFields(const link::RememberedSettings& settings, const link::LineValues& port) {
    const LinkPageControls& l = controls_.Link;
    Select(l.cboSpeed, port.Speed);
    Select(l.cboDataBits, port.DataBits);
    Select(l.cboParity, port.Parity);
    Select(l.cboStopBits, port.StopBits);
    Select(l.cmbHandShake, port.HandShake);
    l.Text1[2]->setText(settings.Address);
    l.Text1[3]->setText(settings.ReplyTimeout);
    l.Text1[4]->setText(settings.Attempts);
}

void Form1::Command6_Click() {
    const link::LinkChoices choices = ReadLinkChoices();
    if (!services_->LinkSettings.Apply(choices) || rememberedPath_.isEmpty()) {
        return;
    }
    remembered_.ChosenPort = choices.PortNumber;
    remembered_.Ports[choices.PortNumber] = choices;
    remembered_.Address = controls_.Link.Text1[2]->text();
    remembered_.ReplyTimeout = controls_.Link.Text1[3]->text();
    remembered_.Attempts = controls_.Link.Text1[4]->text();
    remembered_.WindowPosition = pos();
    if (!SaveRemembered()) {
        ShowMessage(
            QStringLiteral("Настройки применены, но не сохранены в %1").arg(rememberedPath_),
            link::MessageIcon::Exclamation);
    }
}

// The port stays chosen: the defaults are the line's values, and "Применить" then gives them
// to that port.
void Form1::CmdDefault_Click() {
    ShowLinkFields(link::RememberedSettings{}, link::LineValues{});
}

bool Form1::SaveRemembered() {
    return link::SaveRememberedSettings(rememberedPath_, remembered_);
}

}  // namespace pelta::ui
