#include "RaisedError.h"

#include <windows.h>

#include <utility>

RaisedError::RaisedError(std::uint32_t number, std::string source, std::string description)
    : m_number(number), m_source(std::move(source)), m_description(std::move(description)) {}

RaisedError RaisedError::OfObject(std::uint32_t code, std::string description) {
    return RaisedError(kObjectErrorBase | code, WindowProcSource(), std::move(description));
}

std::string RaisedError::WindowProcSource() {
    char path[MAX_PATH * 2] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string name(path, length < sizeof path ? length : 0);
    if (const auto slash = name.find_last_of("\\/"); slash != std::string::npos) name.erase(0, slash + 1);
    if (const auto dot = name.find_last_of('.'); dot != std::string::npos) name.erase(dot);
    return name + ".WindowProc";
}
