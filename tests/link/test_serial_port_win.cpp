// The Windows port where no serial device is at hand (CI runs it under Wine):
// the COM names, and that missing, held and non-serial devices are errors that
// leave nothing open. Bytes on a real line need a machine with a port.

#include <cerrno>
#include <filesystem>
#include <string>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "link/port_names.h"
#include "link/serial_port.h"
#include "tests/support/check.h"

using namespace keyloom;

namespace {

namespace fs = std::filesystem;

// A path as the port list and the settings file hand a device name over.
std::string Utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// A file of its own in the temp folder, removed at the end.
class TempFile {
public:
    explicit TempFile(const std::u8string& name)
        : m_path(fs::temp_directory_path() / ("keyloom-" + std::to_string(GetCurrentProcessId())) /
                 fs::path(name)) {
        fs::create_directories(m_path.parent_path());
        const HANDLE file = CreateFileW(m_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        CHECK(file != INVALID_HANDLE_VALUE);
        CloseHandle(file);
    }
    ~TempFile() {
        std::error_code ignored;
        fs::remove_all(m_path.parent_path(), ignored);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const fs::path& path() const { return m_path; }
    std::string utf8() const { return Utf8(m_path); }

    // Whether anyone still holds the file: an exclusive open succeeds only if not.
    bool isFree() const {
        const HANDLE file = CreateFileW(m_path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        CloseHandle(file);
        return true;
    }

private:
    fs::path m_path;
};

} // namespace

TEST_CASE(com_numbers_map_to_their_device_names) {
    const struct {
        int port;
        const char* device;
    } table[] = {{1, "\\\\.\\COM1"},
                 {9, "\\\\.\\COM9"},
                 {10, "\\\\.\\COM10"},
                 {49, "\\\\.\\COM49"},
                 {0, ""},
                 {50, ""},
                 {-1, ""}};
    for (const auto& row : table)
        CHECK_EQ(DefaultDevice(row.port), std::string(row.device));
    CHECK_EQ(PortPath(0), std::string("\\\\.\\COM0"));
}

TEST_CASE(a_missing_device_is_an_error_and_nothing_is_open) {
    const std::string inMissingFolder =
        Utf8(fs::temp_directory_path() / "keyloom-no-such-folder" / "port");
    for (const std::string& device : {std::string(), PortPath(0), inMissingFolder}) {
        SerialPort port;
        const auto opened = port.open(device);
        CHECK(!opened.ok());
        CHECK(!port.isOpen());
        if (opened)
            continue;
        CHECK_EQ(opened.error().code, ENOENT);
        CHECK(opened.error().message.find(device) != std::string::npos);
    }
}

TEST_CASE(a_closed_port_refuses_every_operation) {
    SerialPort port;
    std::uint8_t buf[4] = {};
    const auto purged = port.purge();
    const auto written = port.writeByte(0x55);
    const auto read = port.read(buf, sizeof buf);
    CHECK(!purged.ok() && purged.error().code == EBADF);
    CHECK(!written.ok() && written.error().code == EBADF);
    CHECK(!read.ok() && read.error().code == EBADF);
}

// A device that opens but is no serial line (NUL, a plain file) is refused and
// let go again, so other programs can have it. The non-ASCII name shows that a
// UTF-8 device name reaches the file it names.
TEST_CASE(a_non_serial_device_is_refused_and_released) {
    SerialPort port;
    const auto nul = port.open("NUL");
    CHECK(!nul.ok());
    CHECK(!port.isOpen());

    for (const char8_t* name : {u8"plain.bin", u8"\u57e0 \u00fc.bin"}) {
        const TempFile file(name);
        const auto opened = port.open(file.utf8());
        CHECK(!opened.ok());
        CHECK(!port.isOpen());
        if (!opened)
            CHECK(opened.error().code != ENOENT);
        CHECK(file.isFree());
        CHECK(!port.purge().ok());
    }
}

// What a port held by another program answers: busy, with nothing taken.
TEST_CASE(a_held_device_is_busy) {
    const TempFile file(u8"held.bin");
    const HANDLE holder = CreateFileW(file.path().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    CHECK(holder != INVALID_HANDLE_VALUE);
    SerialPort port;
    const auto opened = port.open(file.utf8());
    CHECK(!opened.ok());
    CHECK(!port.isOpen());
    if (!opened)
        CHECK_EQ(opened.error().code, EBUSY);
    CloseHandle(holder);
}

int main() {
    return keyloom::test::RunAll();
}
