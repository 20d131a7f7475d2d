#pragma once
// The questions a control asks of the link before it sends (may a handler
// send now, is a load sequence running), and the one rule that tells an echo
// from a command: a handler that runs because a decoder wrote the camera's
// value into its control sends nothing and arms no timer. Every other frame,
// a decoder's own follow-up included, goes out. The rule lives here, in the
// gate the window and the tests' context share, and in Bind(), through which
// every tab connects its controls to their handlers.

#include <QObject>

#include <functional>
#include <type_traits>

class ILinkGate {
  public:
    virtual ~ILinkGate() = default;
    // True when no load sequence runs and the link is not busy.
    virtual bool Trans_chk() const = 0;
    // True while a load sequence step is pending (sequence step != 0).
    virtual bool SequenceRunning() const = 0;

    // True while a reply is handed to the decoders.
    bool Decoding() const { return decoding_ > 0; }
    // True while a handler runs because a decoder wrote into its control.
    bool EchoWrite() const { return echo_ > 0; }
    // The technician worked `control` (a handler run that is not an echo):
    // the window notes it between the frames, for the inspector and journal.
    virtual void OperatorAction(QObject* control) { (void)control; }
    // The debounced control whose timer is sending now, else null.
    const void* LevelSource() const { return source_; }

    // Held by whoever hands a reply to the decoders (the window's Trans_end
    // and every decoder's entry, so that a decoder called alone obeys it too).
    class DecodingScope {
      public:
        explicit DecodingScope(ILinkGate& gate) : gate_(gate) { ++gate_.decoding_; }
        ~DecodingScope() { --gate_.decoding_; }
        DecodingScope(const DecodingScope&) = delete;
        DecodingScope& operator=(const DecodingScope&) = delete;

      private:
        ILinkGate& gate_;
    };
    // One run of a control's handler: an echo when a decoder caused it.
    class HandlerRun {
      public:
        explicit HandlerRun(ILinkGate& gate);
        ~HandlerRun();
        HandlerRun(const HandlerRun&) = delete;
        HandlerRun& operator=(const HandlerRun&) = delete;

      private:
        ILinkGate& gate_;
        bool echo_;
    };
    // A debounced control's timer sending its value: the control is the
    // identity of the frame while it waits to be written.
    class LevelSend {
      public:
        LevelSend(ILinkGate& gate, const void* source) : gate_(gate), previous_(gate.source_) {
            gate_.source_ = source;
        }
        ~LevelSend() { gate_.source_ = previous_; }
        LevelSend(const LevelSend&) = delete;
        LevelSend& operator=(const LevelSend&) = delete;

      private:
        ILinkGate& gate_;
        const void* previous_;
    };

  private:
    int decoding_ = 0;
    int echo_ = 0;
    const void* source_ = nullptr;
};

// Connects a control's signal to its handler under the echo rule. The
// handler (a member of `receiver`, or a callable) takes the signal's
// arguments or none.
template <class Sender, class Signal, class Receiver, class Handler>
QMetaObject::Connection Bind(ILinkGate& gate, Sender* sender, Signal signal, Receiver* receiver,
                             Handler handler) {
    return QObject::connect(
        sender, signal, receiver, [&gate, sender, receiver, handler](auto... args) {
            ILinkGate::HandlerRun run(gate);
            (void)receiver;
            if (!gate.EchoWrite()) gate.OperatorAction(sender);
            if constexpr (std::is_member_function_pointer_v<Handler>) {
                if constexpr (std::is_invocable_v<Handler, Receiver*, decltype(args)...>)
                    std::invoke(handler, receiver, args...);
                else
                    std::invoke(handler, receiver);
            } else if constexpr (std::is_invocable_v<Handler, decltype(args)...>) {
                handler(args...);
            } else {
                handler();
            }
        });
}
