#include "ui/monitor_log.h"

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

void InstallMonitorMenu(QPlainTextEdit* monitor, std::function<void()> saveLog) {
    monitor->setContextMenuPolicy(Qt::CustomContextMenu);
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
