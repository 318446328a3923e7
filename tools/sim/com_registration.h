#pragma once
// Registration of the simulator's pseudo-terminal in the serial-device map: a link COM<n> in
// the map folder (link::SerialMapFolder(), the folder the window program reads) that points at
// the pty's slave device. The link is removed again when the
// registration ends, but only while it still points at our device.

#include <optional>
#include <string>

namespace pelta::sim {

// Creates the folder and any missing parents with mode 0700. The folder and its parent must
// end up as real directories owned by us and writable by nobody else: a folder under /tmp that
// someone else made could otherwise redirect our links (the window reads it the same way).
bool PreparePrivateFolder(const std::string& folder, std::string* error);

class ComRegistration {
  public:
    // Links COM<number> (or the lowest number without a link, when none is given) to target.
    // Never replaces a link that points at a live character device.
    static std::optional<ComRegistration> Create(const std::string& folder,
                                                 std::optional<int> number,
                                                 const std::string& target, std::string* error);

    ComRegistration(ComRegistration&& other) noexcept;
    ComRegistration& operator=(ComRegistration&& other) noexcept;
    ComRegistration(const ComRegistration&) = delete;
    ComRegistration& operator=(const ComRegistration&) = delete;
    ~ComRegistration();

    int Number() const { return number_; }
    const std::string& LinkPath() const { return linkPath_; }

    // Removes the link if it still points at our target; safe to call more than once.
    void Remove();

  private:
    ComRegistration(int number, std::string linkPath, std::string target);

    int number_ = 0;
    std::string linkPath_;
    std::string target_;
};

}  // namespace pelta::sim
