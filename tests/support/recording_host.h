#pragma once
// A link host that records what the link asked of the window.

#include "link/link.h"

#include <string>
#include <vector>

struct RecordingHost : cam::ILinkHost {
    std::string status[4];
    bool busyPointer = false;
    bool pagesEnabled = false;
    int progressMax = 0, connected = 0, replies = 0, resets = 0, giveUps = 0;
    std::vector<std::string> messages;
    std::vector<std::string> serialErrors;

    void SetStatusText(int panel, const std::string& text) override { status[panel] = text; }
    void SetBusyPointer(bool busy) override { busyPointer = busy; }
    void SetPageControlEnabled(bool enabled) override { pagesEnabled = enabled; }
    void SetCopyProgressMax() override { ++progressMax; }
    void LinkMessage(const std::string& text, const std::string&, bool) override {
        messages.push_back(text);
    }
    void Connected() override { ++connected; }
    void ReplyReceived() override { ++replies; }
    void ResetAcknowledged() override { ++resets; }
    void GiveUp() override { ++giveUps; }
    void SerialError(const std::string& m) override { serialErrors.push_back(m); }
    void ShowConnection(const std::string& text, const std::string& d) override {
        status[0] = text;
        detail = d;
    }
    void DeviceLost(const std::string& m) override { losses.push_back(m); }
    std::string detail;
    std::vector<std::string> losses;
};
