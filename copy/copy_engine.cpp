#include "copy/copy_engine.h"

#include "copy/copy_file_io.h"

#include <utility>

namespace cam {

namespace {
constexpr std::size_t kLastWordByte = 2 * TCopyEngine::kLastWord; // its low byte in the image
// Batch progress: the file read and checked, then the image sent.
constexpr int kBatchChecked = 16;
constexpr int kBatchImage = 256;

// True when reply `r` answers the command `p` (payload bytes 1..15 at p[0..]):
// byte 2 repeats the code, and the EEPROM word and register replies repeat the
// address the command named.
bool answers(const Payload& p, const ReplyBuffer& r) {
    if (r[2] != p[1]) return false;
    switch (p[1]) {
    case 0x0A:
    case 0x0B:
        return r[3] == p[2];
    case 0x0C:
    case 0x0F:
        return r[3] == p[2] && r[4] == p[3];
    default:
        return true;
    }
}
} // namespace

// ---- common ------------------------------------------------------------------

void TCopyEngine::begin(CopyProcedure procedure) {
    End();
    procedure_ = procedure;
}

CopyProcedure TCopyEngine::End() {
    const CopyProcedure was = procedure_;
    procedure_ = CopyProcedure::None;
    awaited_ = 0;
    lateAnswers_ = 0;
    awaitingLastWord_ = false;
    imageSent_ = false;
    lines_.clear();
    nextLine_ = 0;
    return was;
}

void TCopyEngine::finish(CopyEndKind kind, std::string why) {
    const CopyEnd end{End(), kind, std::move(why)};
    observer_.CopyEnded(end);
}

bool TCopyEngine::sent(std::uint32_t tag) {
    awaited_ = tag;
    if (tag == 0) finish(CopyEndKind::Refused, "the line did not take its frame");
    return tag != 0;
}

void TCopyEngine::progress(int value) {
    progressValue_ = value;
    observer_.CopyProgress(procedure_, value, progressMax_);
}

bool TCopyEngine::lateAnswer() {
    if (++lateAnswers_ <= kMaxLateAnswers) return true;
    finish(CopyEndKind::Failed, "the camera's answers do not fit the copy");
    return false;
}

void TCopyEngine::sendWordRead(int address) {
    readAddress_ = address;
    Payload p{};
    p[0] = kReadClass;
    p[1] = kEepromWordCode;
    p[2] = static_cast<std::uint8_t>(address >> 8);
    p[3] = static_cast<std::uint8_t>(address);
    sent(line_.SendCommand(p, 4));
}

bool TCopyEngine::wordReply(const ReplyBuffer& r, int* address, std::uint16_t* word) {
    *address = r[3] << 8 | r[4];
    if (r[2] != kEepromWordCode || *address != readAddress_) {
        if (lateAnswer()) sendWordRead(readAddress_);
        return false;
    }
    lateAnswers_ = 0;
    *word = static_cast<std::uint16_t>(r[5] << 8 | r[6]);
    return true;
}

void TCopyEngine::Reply(const ReplyBuffer& reply, std::uint32_t tag) {
    if (procedure_ == CopyProcedure::None || tag == 0 || tag != awaited_) return;
    if (reply[1] != kAccepted) {
        finish(CopyEndKind::Rejected);
        return;
    }
    switch (procedure_) {
    case CopyProcedure::CameraToPc:
        cameraWord(reply);
        break;
    case CopyProcedure::Single:
        nextLine(reply);
        break;
    case CopyProcedure::Batch:
        batchReply(reply);
        break;
    case CopyProcedure::Verify:
        verifyReply(reply);
        break;
    case CopyProcedure::None:
        break;
    }
}

void TCopyEngine::ResetAcknowledged() {
    if (procedure_ == CopyProcedure::Single) finish(CopyEndKind::Done);
}

// ---- Camera->PC --------------------------------------------------------------

void TCopyEngine::StartCameraToPc(const QString& path) {
    begin(CopyProcedure::CameraToPc);
    path_ = path;
    words_.fill(-1);
    progressMax_ = kEepromWordCount;
    progress(0);
    sendWordRead(0);
}

void TCopyEngine::cameraWord(const ReplyBuffer& r) {
    int address = 0;
    std::uint16_t word = 0;
    if (!wordReply(r, &address, &word)) return;
    words_[static_cast<std::size_t>(address)] = word;
    observer_.CopyWord(address, word);
    progress(address);
    if (address < kLastWord) {
        sendWordRead(address + 1);
        return;
    }
    writeCameraFile();
}

void TCopyEngine::writeCameraFile() {
    if (path_.isEmpty()) {
        finish(CopyEndKind::Done);
        return;
    }
    // Only the words this copy read, so the file is whole or not written.
    std::string text;
    std::string why;
    if (!copy_file_text(words_, &text, &why)) {
        finish(CopyEndKind::FileError, why);
        return;
    }
    QString error;
    if (!WriteCopyFile(path_, text, &error)) {
        finish(CopyEndKind::FileError, error.toStdString());
        return;
    }
    finish(CopyEndKind::Done);
}

// ---- PC->Camera(Single) ------------------------------------------------------

void TCopyEngine::StartSingle(std::vector<CopyRecord> lines, std::size_t textSize) {
    begin(CopyProcedure::Single);
    lines_ = std::move(lines);
    progressMax_ = static_cast<int>(textSize);
    progress(0);
    if (lines_.empty()) {
        finish(CopyEndKind::Done);
        return;
    }
    sendLine(0);
}

void TCopyEngine::sendLine(std::size_t index) {
    nextLine_ = index + 1;
    sent(line_.SendCommand(lines_[index].payload, static_cast<int>(kPayloadSize)));
}

void TCopyEngine::nextLine(const ReplyBuffer& r) {
    const std::size_t current = nextLine_ - 1;
    if (!answers(lines_[current].payload, r)) {
        if (lateAnswer()) sendLine(current); // a late answer to the line before
        return;
    }
    lateAnswers_ = 0;
    if (nextLine_ < lines_.size()) {
        const std::size_t next = nextLine_;
        sendLine(next);
        if (procedure_ == CopyProcedure::Single) progress(static_cast<int>(lines_[next].end));
        return;
    }
    finish(CopyEndKind::Done);
}

// ---- PC->Camera(Batch) -------------------------------------------------------

void TCopyEngine::StartBatch(const CopyImage& image, std::size_t textSize) {
    begin(CopyProcedure::Batch);
    image_ = image;
    progressMax_ = static_cast<int>(textSize);
    progress(kBatchChecked);
    if (image_.set.test(kLastWordByte)) {
        sendImage(); // the file names word 0x3FF itself
        return;
    }
    // The camera's own word 0x3FF goes back into it with the image.
    awaitingLastWord_ = true;
    sendWordRead(kLastWord);
}

void TCopyEngine::sendImage() {
    imageSent_ = true;
    progress(progressValue_ + kBatchImage);
    sent(line_.SendImage(image_));
}

void TCopyEngine::batchReply(const ReplyBuffer& r) {
    if (awaitingLastWord_) {
        if (r[2] != kEepromWordCode || (r[3] << 8 | r[4]) != readAddress_) {
            finish(CopyEndKind::Failed, "word 0x3FF could not be read");
            return;
        }
        awaitingLastWord_ = false;
        image_.bytes[kLastWordByte] = r[6];
        image_.bytes[kLastWordByte + 1] = r[5];
        image_.set.set(kLastWordByte);
        image_.set.set(kLastWordByte + 1);
        sendImage();
        return;
    }
    if (r[2] == kEepromWordCode) {
        if (lateAnswer()) sent(line_.SendImage(image_)); // a late answer to the word read
        return;
    }
    progress(progressMax_);
    End();
    line_.SendReset();
    observer_.CopyEnded({CopyProcedure::Batch, CopyEndKind::Done, {}});
}

// ---- Verify ------------------------------------------------------------------

void TCopyEngine::StartVerify(const CopyWords& words) {
    begin(CopyProcedure::Verify);
    verifyWords_ = words;
    verifyCamera_.fill(-1);
    differences_.clear();
    verified_ = 0;
    verifyCount_ = 0;
    for (std::int32_t w : verifyWords_)
        verifyCount_ += w >= 0;
    progressMax_ = verifyCount_;
    progress(0);
    nextVerifyRead(0);
}

void TCopyEngine::nextVerifyRead(int from) {
    for (int a = from; a < kEepromWordCount; ++a) {
        if (verifyWords_[static_cast<std::size_t>(a)] >= 0) {
            sendWordRead(a);
            return;
        }
    }
    finish(CopyEndKind::Done);
}

void TCopyEngine::verifyReply(const ReplyBuffer& r) {
    int address = 0;
    std::uint16_t camera = 0;
    if (!wordReply(r, &address, &camera)) return;
    verifyCamera_[static_cast<std::size_t>(address)] = camera;
    const auto file = static_cast<std::uint16_t>(verifyWords_[static_cast<std::size_t>(address)]);
    if (camera != file) differences_.push_back({address, camera, file});
    progress(++verified_);
    nextVerifyRead(address + 1);
}

} // namespace cam
