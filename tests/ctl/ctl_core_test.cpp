#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "tools/ctl/ctl_core.h"

namespace pelta::ctl {
namespace {

QString FileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TEST(CtlCore, logsAMapFolderItRefusesToTheErrorLogAsTheWindowDoes) {
    static int argc = 1;
    static char name[] = "ctl_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    QTemporaryDir runtime;
    const QString map = runtime.filePath(QStringLiteral("serialcomm"));
    ASSERT_TRUE(QDir().mkpath(map));
    ASSERT_EQ(::chmod(map.toLocal8Bit().constData(), 0777), 0);

    CtlCore ctl({map.toStdString(), "/nonexistent-sysfs", "/dev"});
    EXPECT_TRUE(FileText(ctl.core.ErrorLog().FilePath())
                    .contains(QStringLiteral("Ссылки COM из папки ") + map));
}

}  // namespace
}  // namespace pelta::ctl
