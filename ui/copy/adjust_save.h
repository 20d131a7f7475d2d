#pragma once
// The Adjust tab's acknowledgement decoder: the chain that stores the chroma
// and hue registers once the camera has answered "Save".
//
// The Adjust tab writes registers 0x2B..0x2F with the register write that the
// camera does not store, keeping the data table entries of the same number up
// to date. When the camera answers "Save" (21 41 00 FF), the chain writes
// 0x2B with the storing register write 21 0A r hi lo, the value taken from
// the data table, and each answer for register r sends the next one, up to
// 0x2F; after the answer for 0x2F the Copy tab becomes the active page. The
// answer to "Cancel" (21 41 01 FF) reloads the active tab instead.

#include <QString>

#include <cstdint>

class TCopyHost;
class TTabContext;

// Runs for every reply while the Adjust tab is the active page, after the
// common decoder. An error reply shows " Error " / "ERR" and ends the chain.
// Each step goes on only at the answer to the chain's own last frame; the
// chain ends with a message when its page is left or a load takes the line.
class TAdjustSaveChain {
  public:
    void Trans_end_cstm(TTabContext& context, TCopyHost& host);
    void Interrupt(const QString& why);
    bool Awaits(std::uint32_t tag) const { return tag != 0 && tag == awaited_; }

  private:
    void store(TTabContext& context, std::uint8_t r);
    std::uint32_t awaited_ = 0; // the tag of the chain's register write in flight
};
