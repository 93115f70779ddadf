// A private device folder for as long as the object lives: XDG_RUNTIME_DIR
// points at a fresh temporary folder, so the library finds only the readers
// a test publishes there.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

class DeviceFolder {
public:
    DeviceFolder()
    {
        char folder[] = "/tmp/tavelin-test.XXXXXX";
        if (mkdtemp(folder))
            m_root = folder;
        setenv("XDG_RUNTIME_DIR", m_root.c_str(), 1);
    }
    ~DeviceFolder()
    {
        if (!m_root.empty())
            std::filesystem::remove_all(m_root);
        unsetenv("XDG_RUNTIME_DIR");
    }
    DeviceFolder(const DeviceFolder&) = delete;
    DeviceFolder& operator=(const DeviceFolder&) = delete;

    bool Ok() const { return !m_root.empty(); }
    // The folder readers are published in.
    std::string Path() const { return m_root + "/tavelin"; }

private:
    std::string m_root;
};
