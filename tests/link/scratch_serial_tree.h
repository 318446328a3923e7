#pragma once
// A scratch copy of everything the serial-device map reads: a sysfs tty folder, a /dev with
// its udev by-id and by-path links, a private map folder and ports.conf. Devices are plain
// files, or links to pseudo-terminals where a test opens them; never the machine's own.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "link/serial_map.h"

namespace pelta::link::testing {

class ScratchSerialTree {
  public:
    ScratchSerialTree() {
        for (const char* folder :
             {"sys", "dev", "dev/serial", "dev/serial/by-id", "dev/serial/by-path", "config",
              "config/pelta", "run", "run/pelta", "run/pelta/serialcomm"}) {
            ::mkdir(Path(folder).c_str(), 0700);
        }
    }

    std::string Path(const std::string& relative) const {
        return dir_.path().toStdString() + "/" + relative;
    }

    SerialMapRoots Roots() const {
        return {Path("run/pelta/serialcomm"),
                Path("sys"),
                Path("dev"),
                Path("run/pelta"),
                Path("dev/serial/by-id"),
                Path("dev/serial/by-path"),
                Path("config/pelta/ports.conf")};
    }

    // A device appears: its sysfs folder (a UART type for ttyS), its node (a file, or a link
    // to target) and the udev links udev would make.
    void Plug(const std::string& name, const std::string& byId = {}, const std::string& byPath = {},
              const std::string& target = {}) {
        ASSERT_TRUE(QDir().mkpath(QString::fromStdString(Path("sys/" + name))));
        if (name.rfind("ttyS", 0) == 0) {
            Write("sys/" + name + "/type", "4\n");
        }
        if (target.empty()) {
            Write("dev/" + name, "");
        } else {
            ASSERT_EQ(::symlink(target.c_str(), Path("dev/" + name).c_str()), 0);
        }
        for (const auto& [folder, link] : {std::pair{"by-id/", byId}, {"by-path/", byPath}}) {
            if (!link.empty()) {
                const std::string at = Path("dev/serial/" + std::string(folder) + link);
                ASSERT_EQ(::symlink(("../../" + name).c_str(), at.c_str()), 0) << at;
                udevLinks_.emplace(name, at);
            }
        }
    }
    // The device leaves, with its node and udev links.
    void Unplug(const std::string& name) {
        QDir(QString::fromStdString(Path("sys/" + name))).removeRecursively();
        ::unlink(Path("dev/" + name).c_str());
        for (auto [it, last] = udevLinks_.equal_range(name); it != last; ++it) {
            ::unlink(it->second.c_str());
        }
        udevLinks_.erase(name);
    }
    // A link in the map folder: "COM7" for number 7, or any name.
    void Link(int number, const std::string& to) { Link("COM" + std::to_string(number), to); }
    void Link(const std::string& name, const std::string& target) {
        const std::string at = Roots().MapFolder + "/" + name;
        ASSERT_EQ(::symlink(target.c_str(), at.c_str()), 0) << at;
    }

    void Write(const std::string& relative, const std::string& text) {
        ASSERT_TRUE(std::ofstream(Path(relative), std::ios::binary) << text) << relative;
    }
    std::string Read(const std::string& relative) const {
        std::ostringstream text;
        text << std::ifstream(Path(relative), std::ios::binary).rdbuf();
        return text.str();
    }

  private:
    QTemporaryDir dir_;
    std::multimap<std::string, std::string> udevLinks_;  // device name -> link path
};

}  // namespace pelta::link::testing
