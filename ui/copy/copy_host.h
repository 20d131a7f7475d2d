#pragma once
// What the Copy tab and the Adjust tab's save chain need of the main window
// beyond TTabContext. TF38R5 implements it; tests use a fake.

#include <cstdint>
#include <string>

class TCopyHost {
  public:
    virtual ~TCopyHost() = default;

    // Sends the bulk frame built from the low 8 bits of data table entries
    // 0..2047. While the link is busy it shows "Busy" and sends nothing.
    // Returns the tag that comes back with its answer, 0 when nothing was sent.
    virtual std::uint32_t SohCommand() = 0;
    // Menu Camera > Reset: sends the camera reset when Trans_chk allows.
    virtual void Reset1Click() = 0;
    // Menu Camera > Load: starts the load sequence of the active tab.
    virtual void ReLoadClick() = 0;
    // Makes the Copy tab the active page (its load sequence follows).
    virtual void ShowCopyPage() = 0;
    // A copy or verification started or ended: noted for the inspector and
    // the journal, with the camera's port.
    virtual void CopyNote(const std::string& text) { (void)text; }
};
