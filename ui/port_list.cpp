#include "ui/port_list.h"

#include "ui/form1_layout.h"

namespace pelta::ui {

void PortList::showPopup() {
    if (beforePopup_) {
        beforePopup_();
    }
    QComboBox::showPopup();
}

PortList* MakePortList(QWidget* parent, const char* name, const TwipsBox& box) {
    auto* list = new PortList(parent);
    list->setObjectName(QString::fromLatin1(name));
    PlaceInTwips(list, box);
    list->setEditable(false);
    return list;
}

}  // namespace pelta::ui
