#pragma once

#include <cstdint>
#include <exception>
#include <string>

// The one error type of the program. Public operations report failure by
// throwing it; it carries a number, the source that raised it and a
// description.
class RaisedError : public std::exception {
public:
    // Errors defined by the program's own objects are numbered from here.
    static constexpr std::uint32_t kObjectErrorBase = 0x80040000u;

    RaisedError(std::uint32_t number, std::string source, std::string description);

    // An error of one of the program's objects: the number is the object
    // error base with `code` in its low bits, the source is WindowProcSource().
    static RaisedError OfObject(std::uint32_t code, std::string description);

    // The running program's file name without its extension, followed by
    // ".WindowProc" (for example "torvane.WindowProc").
    static std::string WindowProcSource();

    std::uint32_t Number() const noexcept { return m_number; }
    const std::string& Source() const noexcept { return m_source; }
    const std::string& Description() const noexcept { return m_description; }
    const char* what() const noexcept override { return m_description.c_str(); }

private:
    std::uint32_t m_number;
    std::string m_source;
    std::string m_description;
};
