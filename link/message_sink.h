#pragma once
// How the serial link shows a message to the operator. The window implements it as a modal
// box titled with the program's title; tests record the messages.

#include <QString>

namespace pelta::link {

enum class MessageIcon { None, Critical, Exclamation, Information };

class MessageSink {
  public:
    virtual ~MessageSink() = default;
    virtual void ShowMessage(const QString& text, MessageIcon icon) = 0;
};

}  // namespace pelta::link
