#include "platform/Console.h"

#include "platform/windows/Win32.h"

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <streambuf>
#include <string>

namespace kestrel::platform {

namespace {

// The program's UTF-8 text written to a console a line at a time, so that no character is ever
// split between two writes: as the console's own characters (UTF-16) where the handle is a
// console's, as UTF-8 bytes where it is only a character device that leads to one (CONOUT$ opened
// by name under some hosts), the console then reading UTF-8.
class ConsoleBuffer : public std::streambuf {
public:
    enum class Form { Wide, Utf8Bytes };
    ConsoleBuffer(HANDLE console, Form form) : console_(console), form_(form) {}

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return traits_type::not_eof(c);
        const char byte = traits_type::to_char_type(c);
        pending_.push_back(byte);
        if (byte == '\n' || pending_.size() >= kMostHeld)
            writeWhole();
        return c;
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        pending_.append(text, static_cast<std::size_t>(count));
        if (std::memchr(text, '\n', static_cast<std::size_t>(count)) != nullptr ||
            pending_.size() >= kMostHeld)
            writeWhole();
        return count;
    }
    int sync() override {
        writeWhole();
        return 0;
    }

private:
    static constexpr std::size_t kMostHeld = 4096;

    // The length of the held text without a character whose bytes have not all come yet.
    std::size_t wholeLength() const {
        const std::size_t size = pending_.size();
        for (std::size_t back = 1; back <= 3 && back <= size; ++back) {
            const auto byte = static_cast<unsigned char>(pending_[size - back]);
            if ((byte & 0xC0) == 0x80)
                continue; // a continuation byte: its lead lies further back
            const std::size_t needed = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
            return needed > back ? size - back : size;
        }
        return size;
    }

    void writeWhole() {
        const std::size_t length = wholeLength();
        if (length == 0)
            return;
        DWORD written = 0;
        if (form_ == Form::Wide) {
            const std::wstring text = win::wide(pending_.substr(0, length));
            ::WriteConsoleW(console_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        } else {
            ::WriteFile(console_, pending_.data(), static_cast<DWORD>(length), &written, nullptr);
        }
        pending_.erase(0, length);
    }

    HANDLE console_;
    Form form_;
    std::string pending_;
};

UINT codePageBefore = 0;

void restoreCodePage() {
    std::cout.flush(); // what is still held is written in the code page it was meant for
    std::cerr.flush();
    ::SetConsoleOutputCP(codePageBefore);
}

// How text reaches the console behind `handle`, which is made ready for it; none for a file, a
// pipe or nothing.
std::optional<ConsoleBuffer::Form> consoleFormOf(HANDLE handle) {
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || ::GetFileType(handle) != FILE_TYPE_CHAR)
        return std::nullopt;
    DWORD mode = 0;
    if (::GetConsoleMode(handle, &mode)) {
        ::SetConsoleMode(handle, mode | ENABLE_PROCESSED_OUTPUT | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
        return ConsoleBuffer::Form::Wide;
    }
    // The console reads the bytes in its output code page: UTF-8 for this run, given back at its
    // end, as the console stays with the person after the program.
    if (codePageBefore == 0 && (codePageBefore = ::GetConsoleOutputCP()) != 0) {
        ::SetConsoleOutputCP(CP_UTF8);
        std::atexit(restoreCodePage);
    }
    return ConsoleBuffer::Form::Utf8Bytes;
}

void sendToConsole(std::ostream& stream, DWORD standardHandle) {
    const HANDLE handle = ::GetStdHandle(standardHandle);
    if (const auto form = consoleFormOf(handle)) {
        // The buffer stays for the whole run: the stream is flushed into it at the program's end.
        stream.flush();
        stream.rdbuf(new ConsoleBuffer(handle, *form));
    }
}

// The console opened by name, with the buffer that writes to it; both go with the stream.
class ConsoleStream : public std::ostream {
public:
    ConsoleStream(HANDLE console, ConsoleBuffer::Form form)
        : std::ostream(nullptr), console_(console), buffer_(console, form) {
        rdbuf(&buffer_);
    }
    ~ConsoleStream() override {
        flush();
        ::CloseHandle(console_);
    }

private:
    HANDLE console_;
    ConsoleBuffer buffer_;
};

} // namespace

void prepareTerminalOutput() {
    sendToConsole(std::cout, STD_OUTPUT_HANDLE);
    sendToConsole(std::cerr, STD_ERROR_HANDLE);
}

std::unique_ptr<std::ostream> openTerminalForWriting() {
    // Read access too: the console's mode is asked for through the handle.
    const HANDLE console =
        ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, 0, nullptr);
    if (console == INVALID_HANDLE_VALUE)
        return nullptr;
    const auto form = consoleFormOf(console);
    return std::make_unique<ConsoleStream>(console, form.value_or(ConsoleBuffer::Form::Utf8Bytes));
}

} // namespace kestrel::platform
