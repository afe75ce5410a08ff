#pragma once

#include "platform/Input.h"

#include <cstdint>
#include <string>
#include <vector>

// A recorded run: for every frame the clock and the answers the game got
// from its input, stored as changes only. The byte layout is described in
// docs/demo-format.md; encode and decode are its only writers and readers.
namespace demo {

constexpr std::uint16_t formatVersion = 1;

// Each thing the game can ask about is a channel: one per key code, one per
// mouse button, the cursor, the game pad and the window's focus.
constexpr std::uint32_t keyChannels = Key::Last + 1;
constexpr std::uint32_t buttonChannel0 = keyChannels;
constexpr std::uint32_t cursorChannel = buttonChannel0 + MouseButton::Count;
constexpr std::uint32_t padChannel = cursorChannel + 1;
// Its answer is "focus lost", so a demo without the channel plays focused.
constexpr std::uint32_t focusChannel = padChannel + 1;
constexpr std::uint32_t channelCount = focusChannel + 1;

// Queries of one channel in one frame beyond this are not recorded.
constexpr std::uint32_t maxQueriesPerFrame = 4096;
// Far more answers than a frame of the game asks for; a frame with more is
// damage, and the bound keeps one frame's memory small.
constexpr std::uint32_t maxChangesPerFrame = 4096;
// A demo is kept in memory as its bytes; hours of play fit many times over.
constexpr std::uint64_t maxFileBytes = 256ull << 20;

// The cursor as the game read it. Normally the offset from where the game
// last put the cursor, so a replay in another window size looks the same;
// absolute where that offset would not give back the very same double.
struct CursorAnswer {
    bool absolute = false;
    double x = 0.0;
    double y = 0.0;
};

struct PadAnswer {
    bool connected = false;
    GamepadState state;
};

// From the query-th query of `channel` in its frame on, the answer is this.
struct Change {
    std::uint32_t channel = 0;
    std::uint32_t query = 0;
    bool down = false;      // key and button channels; focus lost
    CursorAnswer cursor;    // cursor channel
    PadAnswer pad;          // pad channel
};

struct Frame {
    std::uint64_t clockMicros = 0;  // the clock of the whole frame, microseconds
    std::vector<Change> changes;
};

struct Demo {
    std::vector<Frame> frames;
    std::string endState;  // the game's description of how the run ended
};

bool sameAnswer(const Change& a, const Change& b);

// The clock value the game sees for a recorded microsecond count.
inline double clockSeconds(std::uint64_t micros) { return static_cast<double>(micros) / 1e6; }

std::string encode(const Demo& demo);
// False with a one-line reason when the bytes are not a whole demo of this version.
bool decode(const std::string& bytes, Demo& demo, std::string& error);

bool saveDemo(const std::string& path, const Demo& demo, std::string& error);
// The whole demo as frames; for tools and tests (a frame takes more memory than its bytes).
bool loadDemo(const std::string& path, Demo& demo, std::string& error);

// A demo checked whole, then handed out frame by frame from its bytes, so
// that a replay holds little more than the file however many frames it has.
class Playback {
public:
    // False with a one-line reason, as decode.
    bool open(std::string bytes, std::string& error);
    std::uint32_t frameCount() const { return frames; }
    const std::string& endState() const { return end; }
    // The next frame in order; false after the last.
    bool next(Frame& frame);
    void rewind();

private:
    std::string bytes;
    std::string end;
    std::uint32_t frames = 0;
    std::uint32_t handedOut = 0;
    std::size_t at = 0;
    std::uint64_t clock = 0;
};

// Reads the header before the rest, and only from a regular file no larger
// than maxFileBytes: a device or a FIFO is refused unread.
bool openDemo(const std::string& path, Playback& playback, std::string& error);

// What the game would be told now: the recorder keeps one to see what
// changed, the replayer one to answer from. Both count queries the same way.
struct AnswerState {
    AnswerState();
    // Index of this query of `channel` within the frame; counts it.
    std::uint32_t nextQuery(std::uint32_t channel);
    void apply(const Change& change);
    void newFrame();
    // The cursor the game is told under the current answer.
    void cursor(double& x, double& y) const;

    std::vector<bool> down;  // keys, then buttons
    CursorAnswer cursorAnswer;
    PadAnswer pad;
    bool unfocused = false;
    double setX = 0.0;  // where the game last put the cursor
    double setY = 0.0;
    std::vector<std::uint32_t> queries;  // per channel, this frame
};

}  // namespace demo
