// The remembered settings file: what is written comes back, and a hand-edited or damaged file
// gives the defaults for what it cannot give, never a failure.

#include "link/remembered_settings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <tuple>

namespace pelta::link {
namespace {

TEST(RememberedSettings, comeBackAsSavedWholeOrFallBackOneByOneFromNonsenseValues) {
    QTemporaryDir dir;
    const QString path = dir.filePath("deep/er/pelta.conf");
    RememberedSettings old;
    old.Ports[3] = LineValues{};
    ASSERT_TRUE(SaveRememberedSettings(path, old));

    RememberedSettings saved;
    saved.ChosenPort = 12345;  // above 9999: any COM number the port list offers is kept
    saved.Ports[12345] = {3, 0, 7, 2, 2};  // 7 data bits, Even, 19200, RTS/CTS, 2 stop bits
    saved.Ports[1] = {1, 4, 0, 3, 1};      // 5 data bits, Space, 300, Both, 1.5 stop bits
    std::tie(saved.Address, saved.ReplyTimeout, saved.Attempts) = std::tuple("255", "60000", "10");
    saved.WindowPosition = QPoint(-40, 700);
    ASSERT_TRUE(SaveRememberedSettings(path, saved));

    EXPECT_EQ(LoadRememberedSettings(path), saved);
    EXPECT_FALSE(QFile::exists(path + ".new"));

    // A missing, garbled or hand-damaged file gives the defaults for what it cannot give, value
    // by value.
    RememberedSettings sevenOnly;  // neither "x" nor 0 is a COM number; "Both" is kept
    sevenOnly.Ports[7].HandShake = 3;
    const std::pair<QByteArray, RememberedSettings> cases[] = {
        {"[link]\nport=COM7\naddress=256\nreplyTimeout=60001\nattempts=11\n"
         "[ports]\n7\\speed=9601\n7\\dataBits=8\n7\\parity=none\n7\\stopBits=3\n"
         "7\\handShake=Both\nx\\speed=300\n0\\speed=300\n[window]\nx=12\ny=far\n",
         sevenOnly},
        {QByteArray("\x00\xff[[[=\n\x01", 8), {}},
        {{}, {}},  // a folder in the file's place
    };
    for (const auto& [text, expected] : cases) {
        const QString damaged = dir.filePath(QString::number(qHash(text)));
        QFile file(damaged);
        ASSERT_TRUE(text.isNull() ? QDir().mkpath(damaged)
                                  : file.open(QIODevice::WriteOnly) && file.write(text) > 0);
        file.close();
        EXPECT_EQ(LoadRememberedSettings(damaged), expected) << text.toStdString();
    }
}

TEST(RememberedSettings, liveWhereXdgConfigHomeSays) {
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/srv/conf");
    EXPECT_EQ(RememberedSettingsPath(), "/srv/conf/pelta/pelta.conf");
    qputenv("XDG_CONFIG_HOME", "relative/conf");  // ignored, as a relative value must be
    EXPECT_TRUE(RememberedSettingsPath().endsWith("/.config/pelta/pelta.conf"));
    qputenv("XDG_CONFIG_HOME", saved);
}

}  // namespace
}  // namespace pelta::link
