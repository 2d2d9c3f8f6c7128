#include "serial_port.h"

#include <cerrno>
#include <string>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace keyloom {

namespace {

HANDLE AsHandle(void* handle) {
    return static_cast<HANDLE>(handle);
}

// Texts in a Result are UTF-8 on every platform, and device names arrive as
// UTF-8; the ANSI calls would read and write the local code page instead (Big5
// on a Chinese Windows), so the wide calls are used with a conversion.
std::wstring Widen(const std::string& utf8) {
    if (utf8.empty())
        return {};
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
    return wide;
}

std::string Narrow(const wchar_t* wide, int size) {
    if (size <= 0)
        return {};
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide, size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

std::string SystemText(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message =
        length > 0 && text ? Narrow(text, static_cast<int>(length)) : std::string();
    if (text)
        LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    if (message.empty())
        message = "system error";
    return message + " (Windows error " + std::to_string(code) + ")";
}

// Callers tell errors apart by errno-style codes on every platform.
int ErrnoFor(DWORD code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    case ERROR_ACCESS_DENIED: // what a port held by another program answers
    case ERROR_SHARING_VIOLATION:
        return EBUSY;
    default:
        return EIO;
    }
}

Error SystemError(const std::string& what, DWORD code) {
    return Error{ErrnoFor(code), what + ": " + SystemText(code)};
}

const Error kNotOpen{EBADF, "the port is not open"};

} // namespace

SerialPort::~SerialPort() {
    close();
}

Status SerialPort::open(const std::string& device) {
    close();
    if (device.empty())
        return Error{ENOENT, "no device stands behind this port"};
    // Share mode 0: nobody else gets the port while we hold it.
    const HANDLE handle = CreateFileW(Widen(device).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        return SystemError(code == ERROR_ACCESS_DENIED ? device + " is in use" : device, code);
    }
    const auto refuse = [&](const std::string& what) {
        const DWORD code = GetLastError();
        CloseHandle(handle);
        return SystemError(device + ": " + what, code);
    };

    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!BuildCommDCBA("9600,N,8,1", &dcb))
        return refuse("cannot build 9600 8N1");
    // No flow control of any kind, and nothing that alters or drops bytes. The
    // modem lines are raised, as adapters and level shifters that draw power
    // from them expect.
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    if (!SetCommState(handle, &dcb))
        return refuse("the line refused 9600 8N1");

    // Queue sizes are only a recommendation to the driver, which keeps its own
    // buffers; a driver that declines it still works, so its answer is not a
    // reason to give up the port.
    SetupComm(handle, 4, 4);

    // A read ends after 40 ms with what has come, a write after 500 ms.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = 0;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = kReadTimeoutMs;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = kWriteTimeoutMs;
    // Without them a read could wait for ever.
    if (!SetCommTimeouts(handle, &timeouts))
        return refuse("cannot set the time limits");

    PurgeComm(handle, PURGE_RXCLEAR | PURGE_TXCLEAR);
    m_handle = handle;
    m_device = device;
    return {};
}

void SerialPort::close() {
    if (m_handle) {
        CloseHandle(AsHandle(m_handle));
        m_handle = nullptr;
    }
    m_device.clear();
}

bool SerialPort::isOpen() const {
    return m_handle != nullptr;
}

Status SerialPort::purge() {
    if (!m_handle)
        return kNotOpen;
    if (!PurgeComm(AsHandle(m_handle), PURGE_RXCLEAR))
        return SystemError("purge", GetLastError());
    return {};
}

Status SerialPort::writeByte(std::uint8_t byte) {
    if (!m_handle)
        return kNotOpen;
    DWORD written = 0;
    if (!WriteFile(AsHandle(m_handle), &byte, 1, &written, nullptr))
        return SystemError("write", GetLastError());
    if (written != 1)
        return Error{ETIMEDOUT, "the line took no byte within 500 ms"};
    return {};
}

Result<std::size_t> SerialPort::read(std::uint8_t* buf, std::size_t n) {
    if (!m_handle)
        return kNotOpen;
    const DWORD want = n > MAXDWORD ? MAXDWORD : static_cast<DWORD>(n);
    DWORD got = 0;
    if (!ReadFile(AsHandle(m_handle), buf, want, &got, nullptr))
        return SystemError("read", GetLastError());
    return static_cast<std::size_t>(got);
}

} // namespace keyloom
