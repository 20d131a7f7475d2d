#!/usr/bin/env bash
# Mutation check: applies, one at a time, small changes to the link's rules
# that a sound test suite must notice, rebuilds incrementally and runs the
# test programs. Fails if any change leaves every test green. Each source file
# is put back as it was whatever happens.
# Usage: scripts/mutants.sh [BUILD_DIR]   (default build-mutants/)
# The build is unoptimised and without debug information, so that a mutant
# costs one compile, a quick link and the test run.
set -uo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-mutants}
export QT_QPA_PLATFORM=offscreen
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$dir" -DCAM_WERROR=ON -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g0 \
  "${launcher[@]}" >/dev/null || exit 2
targets=(test_link test_ui test_transactions test_line)

# file | test programs that must notice | perl substitution | what the change breaks
# (no "|" inside a field: write ".." or "or" for "||")
mutants=(
  "ui/widgets/link_gate.cpp|test_ui|s/if \(echo_\) \+\+gate_\.echo_;/(void)gate_;/|a decoder's write runs its handler unmarked: echoes go out"
  "ui/common/tab_context.cpp|test_ui|s/if \(EchoWrite\(\)\) return 0;/if (Decoding()) return 0;/|everything sent while a reply is decoded is dropped (follow-ups lost)"
  "link/link.cpp|test_link|s/if \(held\.source != nullptr\) \{/if (true) {/; s/if \(waiting\.source == held\.source\)/if (waiting.frame[1] == held.frame[1] && waiting.frame[2] == held.frame[2] && waiting.frame[3] == held.frame[3])/|a held frame is replaced by any frame sharing bytes 1-3"
  "transactions/transactions.cpp|test_ui|s/stepTag\(\), this\);/stepTag(), nullptr);/|a restarted load does not replace its older held step"
  "transactions/transactions.cpp|test_transactions test_ui|s/link_\.AnsweredTag\(\) == stepTag\(\)/true/|a load moves on on any reply"
  "transactions/transactions.cpp|test_ui|s/if \(step_ != 0 && tag == stepTag\(\)\) Stop\(true\);/(void)tag;/|a load whose step was given up never ends"
  "link/link.cpp|test_link|s/return held_\.size\(\) >= kMaxHeld;/return false;/|handlers send past the held-frame bound"
  "link/link.cpp|test_ui|s/abandonable_ = true;\n    return false;/abandonable_ = false;\n    return false;/|the give-up leaves the exchange open"
  "link/link.cpp|test_ui|s/abandonable_ = !held\.bulk && held\.frame\[2\] == kWaitsWithoutLimit;/abandonable_ = false;/|an unanswered 0x46 holds every later frame"
  "link/link.cpp|test_ui|s/if \(inFlight_\) \{\n            SendSeq\(NAK\);/if (true) {\n            SendSeq(NAK);/|a bad frame while idle opens an exchange"
  "link/link.cpp|test_ui|s/    receiver_\.Reset\(\);\n    mode_ = Idle;\n    inFlight_ = true;/    receiver_.Reset();\n    inFlight_ = true;/|a re-sent command's ACK counts as its reply"
  "link/receiver.cpp|test_link|s/std::copy_n\(frame_\.begin\(\), length_, buffer_\.begin\(\)\);//; s/frame_\[/buffer_[/g; s/frame_\.data/buffer_.data/g|bytes that failed the CRC reach the decoders"
  "link/link.cpp|test_ui|s/for \(std::uint32_t n = port_\.Waiting\(\); n > 0;/for (std::uint32_t n = 0; n > 0;/|a stale ACK at connection is taken for the first step's"
  "ui/copy/copy_tab.cpp|test_ui|s/running && context_\.Answers\(engine_\.Awaited\(\)\)/running/; s/context_\.AnsweredTag\(\)\);/engine_.Awaited());/g|a copy or Verify moves on on any reply"
  "ui/copy/copy_tab.cpp|test_ui|s/interrupt\(QStringLiteral\(\"a load took the line\"\)\);//|a copy stalls when a load takes the line"
  "ui/service/debug_tab.cpp|test_ui|s/if \(context_\.Answers\(awaited_\)\) ramReply/ramReply/|a RAM dump counts any RAM reply as its own"
  "ui/main/line_tab.cpp|test_ui|s/if \(!context_\.Answers\(lensTag_\)\) return;//|a lens adjustment moves on on any reply"
  "ui/main/easy_decode.cpp|test_ui|s/context_\.Send\(\{0x21, 0x1B, 0x06, kAwbMiddle\}\);//|one-push balance shows a level the camera does not hold"
  "ui/copy/adjust_save.cpp|test_ui|s/ && context\.Answers\(awaited_\)\) \{/) {/|the save chain takes another storing write for its own"
  "copy/copy_engine.cpp|test_ui|s/if \(lateAnswer\(\)\) sendWordRead\(readAddress_\);/(void)0;/|a late answer to a word read stalls the copy"
  "line/clone_image.cpp|test_line|s/Kept\(keep, a\)/Kept(keep, -1)/|a clone overwrites the words it should keep"
  "line/camera_session.cpp|test_line|s/if \(lost_ && \+\+lostTicks_ > kLostTicks\)/if (lost_)/|a lost device is not waited for"
  "line/camera_session.cpp|test_line|s/row_\.backupFile = backupPath_;/(void)0;/|a written camera's row does not name its backup"
  "link/link.cpp|test_link|s/if \(port == 2 && !port_\.WorthTrying\(2\)\) port = 1;//|a port 2 nobody named is opened all the same"
  "link/link.cpp|test_link|s/replyFollowsAck\(\) \? 1 \+ kFrameSize : 1/1/|a line session waits for an ACK and its reply frame one after the other"
  "ui/main/main_window.cpp|test_ui|s/if \(!closeQuestion_\(/if (false and !closeQuestion_(/|the window closes during a copy without asking"
  "ui/main/main_window.cpp|test_ui|s/if \(greetPending_\)\n/if (false)\n/|a window that greets once painted greets at once"
)

# build TARGET... / tests_pass TARGET...
build() { cmake --build "$dir" -j2 --target "$@" >/dev/null 2>&1; }
tests_pass() {
  local t
  for t in "$@"; do
    "$dir/tests/$t" --gtest_brief=1 >/dev/null 2>&1 || return 1
  done
  return 0
}

build "${targets[@]}" || { echo "mutants: the unchanged tree does not build" >&2; exit 2; }
tests_pass "${targets[@]}" || { echo "mutants: the unchanged tree fails its tests" >&2; exit 2; }

survivors=0
backup=$(mktemp)
changed= # the file whose copy is in $backup while it is changed
# Stopped half way (Ctrl+C, a time limit), the changed file is put back too.
restore() { [ -n "$changed" ] && cp "$backup" "$changed" && touch "$changed"; rm -f "$backup"; }
trap 'restore; exit 130' INT TERM
for entry in "${mutants[@]}"; do
  IFS='|' read -r file programs change what <<<"$entry"
  read -ra these <<<"$programs"
  started=$SECONDS
  cp -p "$file" "$backup"
  changed=$file
  perl -0pi -e "$change" "$file"
  if cmp -s "$file" "$backup"; then
    echo "mutants: NOT APPLIED ($file): $what"
    survivors=$((survivors + 1))
  elif ! build "${these[@]}"; then
    echo "mutants: does not build ($file): $what"
    survivors=$((survivors + 1))
  elif tests_pass "${these[@]}"; then
    echo "mutants: SURVIVED ($file): $what"
    survivors=$((survivors + 1))
  else
    echo "mutants: killed in $((SECONDS - started)) s: $what"
  fi
  cp "$backup" "$file"
  touch "$file"
  changed=
done
trap - INT TERM
rm -f "$backup"
build "${targets[@]}"
echo "mutants: ${#mutants[@]} changes, $survivors not caught"
[ "$survivors" -eq 0 ]
