#pragma once

#include <string>
#include <vector>

#include "ConsolePieces.h"
#include "IStreams.h"
#include "Messages.h"

// The process's real standard streams, as UTF-8 bytes on every platform.
// On Windows, pipes and files carry the bytes unchanged (no text-mode line
// ends), and a console is read and written in UTF-16 so that Chinese text
// shows and types correctly whatever its code page.
class StdStreams : public IStreams {
public:
    StdStreams();
    StdStreams(const StdStreams&) = delete;
    StdStreams& operator=(const StdStreams&) = delete;

    ~StdStreams() override;

    size_t Read(char* buffer, size_t size) override;
    std::optional<std::string_view> MapInput() override;
    bool Write(std::string_view bytes) override;
    void WriteError(std::string_view bytes) override;
    bool InputIsConsole() const override;
    bool OutputIsConsole() const override;
#ifdef _WIN32
    bool AnsiToUtf8(std::string_view bytes, std::string& utf8) override;
    bool ReadFile(const std::string& name, std::string& bytes) override;
#endif

    // The user's language: on Windows the user's interface language; on
    // Linux the one LANGUAGE, LC_ALL, LC_MESSAGES or LANG names, as gettext
    // chooses it.
    static Messages::Language UserLanguage();

    // The command line's arguments after the program name, as UTF-8 (on
    // Windows from the UTF-16 command line, not the ANSI argv).
    static std::vector<std::string> Arguments(int argc, char** argv);

private:
    void* m_mapping = nullptr;
    size_t m_mappedSize = 0;
#ifdef _WIN32
    std::string m_pendingInput;  // console text converted but not yet read
    ConsolePieces::Reader m_consoleReader;
    bool m_consoleInput = false;
    bool m_inputEnded = false;
#endif
};
