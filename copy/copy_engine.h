#pragma once
// The copy procedures, free of any window: "Camera->PC" (the camera's 1024
// EEPROM words into a copy file), "PC->Camera(Single)" (a file's lines sent
// one by one), "PC->Camera(Batch)" (one bulk image, the camera's own word
// 0x3FF kept, then the camera reset) and Verify (the camera's words compared
// with a file's). The Copy tab and the production line program both run them.
//
// One procedure runs at a time. Each step sends one frame through ICopyLine
// and goes on only at the answer to that frame (its tag). A late answer to an
// earlier frame (the camera answered after the time-out, and the re-sent frame
// is answered again) takes the place of the answer awaited, so the step sends
// its frame once more rather than move on: a line is never skipped and no word
// goes into the wrong place. A camera that keeps answering something else
// stops the procedure.
//
// How a procedure ends goes to ICopyObserver::CopyEnded, once, after the
// engine's state is cleared: the observer may start the next procedure there.

#include "transactions/copy_file.h"
#include "transactions/copy_records.h"

#include <QString>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace cam {

// What a copy procedure needs of the line to the camera.
class ICopyLine {
  public:
    virtual ~ICopyLine() = default;
    // Sends the command frame with payload bytes 1..count. Returns the tag
    // that comes back with its answer, 0 when the line did not take it.
    virtual std::uint32_t SendCommand(const Payload& payload, int count) = 0;
    // Sends the bulk frame; the bytes of `image` that are set replace the
    // line's own table. The tag, or 0 when the line did not take it.
    virtual std::uint32_t SendImage(const CopyImage& image) = 0;
    // Sends the camera reset (the last step of the batch copy).
    virtual void SendReset() = 0;
};

enum class CopyProcedure : std::uint8_t { None, CameraToPc, Single, Batch, Verify };

enum class CopyEndKind : std::uint8_t {
    Done,      // every step answered; Camera->PC's file is written
    Rejected,  // the camera answered a step with its error byte
    Failed,    // the camera's answers do not fit the procedure
    Refused,   // the line did not take a frame
    FileError, // Camera->PC could not write its file
};

struct CopyEnd {
    CopyProcedure procedure = CopyProcedure::None;
    CopyEndKind kind = CopyEndKind::Done;
    std::string why; // empty for Done and Rejected
};

struct CopyDifference {
    int address;
    std::uint16_t camera;
    std::uint16_t file;
};

class ICopyObserver {
  public:
    virtual ~ICopyObserver() = default;
    // Progress of the running procedure, 0..maximum.
    virtual void CopyProgress(CopyProcedure procedure, int value, int maximum) = 0;
    // Camera->PC read `word` at `address`.
    virtual void CopyWord(int address, std::uint16_t word) {
        (void)address;
        (void)word;
    }
    virtual void CopyEnded(const CopyEnd& end) = 0;
};

using CopyWords = std::array<std::int32_t, kEepromWordCount>;

class TCopyEngine {
  public:
    // Answers in a row that fit no step, after which the procedure fails.
    static constexpr int kMaxLateAnswers = 4;
    // The word a copy file does not hold; the batch copy keeps the camera's.
    static constexpr int kLastWord = kEepromWordCount - 1;

    TCopyEngine(ICopyLine& line, ICopyObserver& observer) : line_(line), observer_(observer) {
        verifyCamera_.fill(-1);
    }

    // Each start ends what runs, quietly, and sends the first frame.
    // Camera->PC: with an empty `path` the words are only kept (Words()).
    void StartCameraToPc(const QString& path);
    // `lines` as read by parse_command_records; `textSize` is the file's size
    // (the progress runs over its bytes).
    void StartSingle(std::vector<CopyRecord> lines, std::size_t textSize);
    // `image` as read by read_copy_image. Unless it sets word 0x3FF, the
    // camera's own is read first and sent with it.
    void StartBatch(const CopyImage& image, std::size_t textSize);
    // Reads every word that `words` gives (>= 0) and compares.
    void StartVerify(const CopyWords& words);

    CopyProcedure Running() const { return procedure_; }
    // The tag of the frame whose answer the procedure waits for (0: none).
    std::uint32_t Awaited() const { return awaited_; }
    // A reply to the frame tagged `tag`: the procedure goes on when it is
    // the answer awaited, and ends when the camera refused the step.
    void Reply(const ReplyBuffer& reply, std::uint32_t tag);
    // The camera acknowledged a reset: a single copy whose last line was the
    // reset has ended.
    void ResetAcknowledged();
    // Ends what runs without telling the observer. Returns what ran.
    CopyProcedure End();

    // Camera->PC's words, -1 where none was read yet.
    const CopyWords& Words() const { return words_; }
    // The verification's differences and the number of words compared.
    const std::vector<CopyDifference>& Differences() const { return differences_; }
    int Verified() const { return verified_; }
    int VerifyWords() const { return verifyCount_; }
    // The verification's words: the file's (-1 where the file gives none)
    // and the camera's read so far (-1 where none was read yet).
    const CopyWords& VerifyFileWords() const { return verifyWords_; }
    const CopyWords& VerifyCameraWords() const { return verifyCamera_; }

    // The single copy's lines and how many of them the camera has answered;
    // while it runs, the line after those is in flight.
    const std::vector<CopyRecord>& Lines() const { return lines_; }
    std::size_t LinesAnswered() const { return nextLine_ > 0 ? nextLine_ - 1 : 0; }
    // The batch copy has sent its image and waits for the answer.
    bool ImageSent() const { return procedure_ == CopyProcedure::Batch && imageSent_; }

  private:
    void begin(CopyProcedure procedure);
    void finish(CopyEndKind kind, std::string why = {});
    // Remembers the tag of the frame just sent; a frame that did not go out
    // (tag 0) ends the procedure. False then.
    bool sent(std::uint32_t tag);
    void progress(int value);
    // One more answer that fits no step; false once there were too many.
    bool lateAnswer();
    void sendWordRead(int address);
    // The answer to the word read in flight; false (and the read asked
    // again) for a late answer to an earlier command.
    bool wordReply(const ReplyBuffer& r, int* address, std::uint16_t* word);
    void cameraWord(const ReplyBuffer& r);
    void writeCameraFile();
    void sendLine(std::size_t index);
    void nextLine(const ReplyBuffer& r);
    void sendImage();
    void batchReply(const ReplyBuffer& r);
    void nextVerifyRead(int from);
    void verifyReply(const ReplyBuffer& r);

    ICopyLine& line_;
    ICopyObserver& observer_;
    CopyProcedure procedure_ = CopyProcedure::None;
    std::uint32_t awaited_ = 0;
    int lateAnswers_ = 0;
    int readAddress_ = 0; // the EEPROM word read in flight
    int progressMax_ = 0;
    int progressValue_ = 0;

    QString path_; // the file Camera->PC writes
    CopyWords words_{};

    std::vector<CopyRecord> lines_;
    std::size_t nextLine_ = 0; // the line after the one in flight

    CopyImage image_;
    bool awaitingLastWord_ = false;
    bool imageSent_ = false;

    CopyWords verifyWords_{};  // -1: not in the file
    CopyWords verifyCamera_{}; // -1: not read yet
    std::vector<CopyDifference> differences_;
    int verified_ = 0;
    int verifyCount_ = 0;
};

} // namespace cam
