#pragma once

#include <windows.h>

#include <string>

// Another program at work on the clipboard (clipboard_holder.exe, beside the
// test) for as long as this object lives; see ClipboardHolder.cpp for the modes.
class ClipboardPeer {
public:
    explicit ClipboardPeer(const char* mode) {
        const std::string id = std::to_string(GetCurrentProcessId()) + "." + mode;
        const std::string readyName = "TorvanePeerReady." + id, stopName = "TorvanePeerStop." + id;
        m_ready = CreateEventA(nullptr, TRUE, FALSE, readyName.c_str());
        m_stop = CreateEventA(nullptr, TRUE, FALSE, stopName.c_str());
        char self[MAX_PATH];
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        std::string program(self);
        program = program.substr(0, program.find_last_of("\\/") + 1) + "clipboard_holder.exe";
        std::string command = "\"" + program + "\" " + mode + " " + readyName + " " + stopName;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        if (!CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &m_process))
            return;
        const HANDLE waits[] = {m_ready, m_process.hProcess};
        m_working = WaitForMultipleObjects(2, waits, FALSE, 10000) == WAIT_OBJECT_0;
    }
    ClipboardPeer(const ClipboardPeer&) = delete;
    ClipboardPeer& operator=(const ClipboardPeer&) = delete;
    ~ClipboardPeer() {
        Stop();
        if (m_process.hProcess) {
            CloseHandle(m_process.hThread);
            CloseHandle(m_process.hProcess);
        }
        CloseHandle(m_ready);
        CloseHandle(m_stop);
    }

    // Whether it started and is at work.
    bool Working() const { return m_working; }
    HANDLE Process() const { return m_process.hProcess; }
    // Tells it to stop and waits until it has ended.
    void Stop() {
        SetEvent(m_stop);
        if (m_process.hProcess && WaitForSingleObject(m_process.hProcess, 10000) != WAIT_OBJECT_0)
            TerminateProcess(m_process.hProcess, 9);
    }

private:
    HANDLE m_ready = nullptr, m_stop = nullptr;
    PROCESS_INFORMATION m_process{};
    bool m_working = false;
};
