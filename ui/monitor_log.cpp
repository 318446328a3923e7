#include "ui/monitor_log.h"

#include <QKeyEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSaveFile>

namespace pelta::ui {

QByteArray MonitorLogBytes(const QString& plainText) {
    // The text box keeps each CR LF it was given as one line break.
    QString text = plainText;
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text.toUtf8();
}

QString SaveWhole(const QString& path, const QByteArray& bytes) {
    // Written beside the target and renamed over it at the end, so a failure leaves the old
    // file untouched.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return file.errorString();
    }
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit()) {
        return file.errorString();
    }
    return {};
}

namespace {

// Shift+F10 opens the menu at the text cursor, as context menus open from the keyboard
// elsewhere; the Menu key comes from the platform as a context-menu request of its own.
class MenuFromKeyboard : public QObject {
  public:
    explicit MenuFromKeyboard(QPlainTextEdit* monitor) : QObject(monitor), monitor_(monitor) {}

  protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_F10 || key->modifiers() != Qt::ShiftModifier) {
            return false;
        }
        emit monitor_->customContextMenuRequested(monitor_->cursorRect().bottomLeft());
        return true;
    }

  private:
    QPlainTextEdit* monitor_;
};

}  // namespace

void InstallMonitorMenu(QPlainTextEdit* monitor, std::function<void()> saveLog) {
    monitor->setContextMenuPolicy(Qt::CustomContextMenu);
    monitor->installEventFilter(new MenuFromKeyboard(monitor));
    QObject::connect(
        monitor, &QWidget::customContextMenuRequested, monitor,
        [monitor, saveLog = std::move(saveLog)](const QPoint& at) {
            auto* menu = new QMenu(monitor);
            menu->setAttribute(Qt::WA_DeleteOnClose);
            QAction* copy =
                menu->addAction(QStringLiteral("Копировать"), monitor, &QPlainTextEdit::copy);
            copy->setEnabled(monitor->textCursor().hasSelection());
            menu->addAction(QStringLiteral("Выделить всё"), monitor, &QPlainTextEdit::selectAll);
            menu->addSeparator();
            menu->addAction(QStringLiteral("Сохранить журнал…"), monitor, saveLog);
            menu->popup(monitor->viewport()->mapToGlobal(at));
        });
}

}  // namespace pelta::ui
