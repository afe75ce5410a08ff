#include "platform/DemoFile.h"

#include "platform/AtomicFile.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace demo {

namespace {

constexpr char magic[8] = {'M', 'U', 'R', 'K', 'D', 'E', 'M', 'O'};
constexpr std::size_t headerSize = 16;  // magic, version, flags, frame count
constexpr std::size_t checksumSize = 4;
constexpr std::uint32_t maxEndState = 1u << 16;

enum CursorForm : std::uint8_t { IntegerOffset = 0, DoubleOffset = 1, Absolute = 2 };

std::uint32_t crc32(const std::string& bytes, std::size_t length) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t {};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1u) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < length; ++i)
        crc = table[(crc ^ static_cast<std::uint8_t>(bytes[i])) & 0xFFu] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

bool isButtonChannel(std::uint32_t channel) { return channel < cursorChannel; }
// Answered with one yes or no: keys, buttons and the focus.
bool isBooleanChannel(std::uint32_t channel) { return isButtonChannel(channel) || channel == focusChannel; }

bool smallInteger(double v) { return v == static_cast<double>(static_cast<std::int32_t>(v)) && v >= -1e9 && v <= 1e9; }

class Writer {
public:
    void u8(std::uint8_t v) { out.push_back(static_cast<char>(v)); }
    void fixed(std::uint64_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) u8(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void varint(std::uint64_t v) {
        while (v >= 0x80) {
            u8(static_cast<std::uint8_t>(v | 0x80));
            v >>= 7;
        }
        u8(static_cast<std::uint8_t>(v));
    }
    void zigzag(std::int64_t v) { varint((static_cast<std::uint64_t>(v) << 1) ^ static_cast<std::uint64_t>(v >> 63)); }
    void real(double v) { fixed(std::bit_cast<std::uint64_t>(v), 8); }

    std::string out;
};

class Reader {
public:
    explicit Reader(const std::string& bytes, std::size_t end) : in(bytes), size(end) {}

    bool u8(std::uint8_t& v) {
        if (at >= size) return false;
        v = static_cast<std::uint8_t>(in[at++]);
        return true;
    }
    bool fixed(std::uint64_t& v, int bytes) {
        v = 0;
        for (int i = 0; i < bytes; ++i) {
            std::uint8_t b = 0;
            if (!u8(b)) return false;
            v |= static_cast<std::uint64_t>(b) << (8 * i);
        }
        return true;
    }
    // False at the end of the data; `bad` set for an over-long number.
    bool varint(std::uint64_t& v) {
        v = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            std::uint8_t b = 0;
            if (!u8(b)) return false;
            v |= static_cast<std::uint64_t>(b & 0x7F) << shift;
            if ((b & 0x80) == 0) return true;
        }
        bad = true;
        return false;
    }
    bool zigzag(std::int64_t& v) {
        std::uint64_t u = 0;
        if (!varint(u)) return false;
        v = static_cast<std::int64_t>(u >> 1) ^ -static_cast<std::int64_t>(u & 1);
        return true;
    }
    bool real(double& v) {
        std::uint64_t bits = 0;
        if (!fixed(bits, 8)) return false;
        v = std::bit_cast<double>(bits);
        return true;
    }
    bool boolean(bool& v) {
        std::uint8_t b = 0;
        if (!u8(b)) return false;
        if (b > 1) bad = true;
        v = b == 1;
        return b <= 1;
    }

    const std::string& in;
    std::size_t size;
    std::size_t at = 0;
    bool bad = false;  // the data is there but makes no sense
};

void writeChange(Writer& w, const Change& c) {
    w.varint(c.channel);
    w.varint(c.query);
    if (isBooleanChannel(c.channel)) {
        w.u8(c.down ? 1 : 0);
    } else if (c.channel == cursorChannel) {
        const CursorAnswer& a = c.cursor;
        if (a.absolute) {
            w.u8(Absolute);
            w.real(a.x);
            w.real(a.y);
        } else if (smallInteger(a.x) && smallInteger(a.y)) {
            w.u8(IntegerOffset);
            w.zigzag(static_cast<std::int64_t>(a.x));
            w.zigzag(static_cast<std::int64_t>(a.y));
        } else {
            w.u8(DoubleOffset);
            w.real(a.x);
            w.real(a.y);
        }
    } else {
        const GamepadState& s = c.pad.state;
        w.u8(c.pad.connected ? 1 : 0);
        w.fixed(s.dwPacketNumber, 4);
        w.fixed(s.wButtons, 2);
        w.u8(s.bLeftTrigger);
        w.u8(s.bRightTrigger);
        for (std::int16_t axis : {s.sThumbLX, s.sThumbLY, s.sThumbRX, s.sThumbRY})
            w.fixed(static_cast<std::uint16_t>(axis), 2);
    }
}

// False at the end of the data or with r.bad set.
bool readChange(Reader& r, Change& c) {
    std::uint64_t channel = 0;
    std::uint64_t query = 0;
    if (!r.varint(channel) || !r.varint(query)) return false;
    if (channel >= channelCount || query >= maxQueriesPerFrame) {
        r.bad = true;
        return false;
    }
    c.channel = static_cast<std::uint32_t>(channel);
    c.query = static_cast<std::uint32_t>(query);
    if (isBooleanChannel(c.channel)) return r.boolean(c.down);
    if (c.channel == cursorChannel) {
        std::uint8_t form = 0;
        if (!r.u8(form)) return false;
        c.cursor.absolute = form == Absolute;
        if (form == IntegerOffset) {
            std::int64_t x = 0;
            std::int64_t y = 0;
            if (!r.zigzag(x) || !r.zigzag(y)) return false;
            c.cursor.x = static_cast<double>(x);
            c.cursor.y = static_cast<double>(y);
            return true;
        }
        if (form > Absolute) {
            r.bad = true;
            return false;
        }
        return r.real(c.cursor.x) && r.real(c.cursor.y);
    }
    GamepadState& s = c.pad.state;
    std::uint64_t v[9] {};
    if (!r.boolean(c.pad.connected)) return false;
    const int widths[9] = {4, 2, 1, 1, 2, 2, 2, 2, 0};
    for (int i = 0; i < 8; ++i)
        if (!r.fixed(v[i], widths[i])) return false;
    s.dwPacketNumber = static_cast<std::uint32_t>(v[0]);
    s.wButtons = static_cast<std::uint16_t>(v[1]);
    s.bLeftTrigger = static_cast<std::uint8_t>(v[2]);
    s.bRightTrigger = static_cast<std::uint8_t>(v[3]);
    s.sThumbLX = static_cast<std::int16_t>(static_cast<std::uint16_t>(v[4]));
    s.sThumbLY = static_cast<std::int16_t>(static_cast<std::uint16_t>(v[5]));
    s.sThumbRX = static_cast<std::int16_t>(static_cast<std::uint16_t>(v[6]));
    s.sThumbRY = static_cast<std::int16_t>(static_cast<std::uint16_t>(v[7]));
    return true;
}

bool samePad(const PadAnswer& a, const PadAnswer& b) {
    const GamepadState& s = a.state;
    const GamepadState& t = b.state;
    return a.connected == b.connected && s.dwPacketNumber == t.dwPacketNumber && s.wButtons == t.wButtons &&
           s.bLeftTrigger == t.bLeftTrigger && s.bRightTrigger == t.bRightTrigger && s.sThumbLX == t.sThumbLX &&
           s.sThumbLY == t.sThumbLY && s.sThumbRX == t.sThumbRX && s.sThumbRY == t.sThumbRY;
}

bool sameBits(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }

}  // namespace

bool sameAnswer(const Change& a, const Change& b) {
    if (a.channel != b.channel) return false;
    if (isBooleanChannel(a.channel)) return a.down == b.down;
    if (a.channel == cursorChannel)
        return a.cursor.absolute == b.cursor.absolute && sameBits(a.cursor.x, b.cursor.x) &&
               sameBits(a.cursor.y, b.cursor.y);
    return samePad(a.pad, b.pad);
}

std::string encode(const Demo& demo) {
    Writer w;
    for (char c : magic) w.u8(static_cast<std::uint8_t>(c));
    w.fixed(formatVersion, 2);
    w.fixed(0, 2);  // flags, none yet
    w.fixed(demo.frames.size(), 4);
    std::uint64_t clock = 0;
    for (const Frame& frame : demo.frames) {
        w.varint(frame.clockMicros - clock);
        clock = frame.clockMicros;
        w.varint(frame.changes.size());
        for (const Change& change : frame.changes) writeChange(w, change);
    }
    w.fixed(demo.endState.size(), 4);
    w.out += demo.endState;
    w.fixed(crc32(w.out, w.out.size()), 4);
    return w.out;
}

namespace {

// What the header and the file's size alone can tell; `bytes` holds at least the header.
bool checkHeader(const std::string& bytes, std::uint64_t fileSize, std::uint32_t& frameCount, std::string& error) {
    if (bytes.size() < sizeof magic || std::memcmp(bytes.data(), magic, sizeof magic) != 0) {
        error = "not a Murkhaven demo";
        return false;
    }
    Reader header(bytes, bytes.size());
    header.at = sizeof magic;
    std::uint64_t version = 0;
    std::uint64_t flags = 0;
    std::uint64_t frames = 0;
    if (!header.fixed(version, 2) || !header.fixed(flags, 2) || !header.fixed(frames, 4)) {
        error = "truncated: the header is incomplete";
        return false;
    }
    if (version != formatVersion) {
        error = "format version " + std::to_string(version) + ", this build reads version " +
                std::to_string(formatVersion);
        return false;
    }
    if (flags != 0) {
        error = "unknown flags " + std::to_string(flags);
        return false;
    }
    // Every frame takes at least two bytes.
    if (frames > (fileSize - headerSize) / 2 + 1) {
        error = "truncated: " + std::to_string(frames) + " frames announced, the file is too short";
        return false;
    }
    frameCount = static_cast<std::uint32_t>(frames);
    return true;
}

// False at the end of the data or with r.bad set.
bool readFrame(Reader& r, Frame& frame, std::uint64_t& clock) {
    std::uint64_t advance = 0;
    std::uint64_t changes = 0;
    if (!r.varint(advance) || !r.varint(changes)) return false;
    if (changes > maxChangesPerFrame) r.bad = true;
    // Every change takes at least three bytes: more than fit cannot be there.
    if (r.bad || changes > (r.size - r.at) / 3) return false;
    clock += advance;
    frame.clockMicros = clock;
    frame.changes.resize(changes);
    for (Change& change : frame.changes)
        if (!readChange(r, change)) return false;
    return true;
}

bool unpack(Playback& playback, Demo& demo) {
    for (Frame frame; playback.next(frame);) demo.frames.push_back(frame);
    demo.endState = playback.endState();
    return true;
}

}  // namespace

bool Playback::open(std::string demoBytes, std::string& error) {
    *this = Playback {};
    if (!checkHeader(demoBytes, demoBytes.size(), frames, error)) return false;
    Reader r(demoBytes, demoBytes.size());
    r.at = headerSize;
    std::uint64_t readClock = 0;
    Frame frame;
    for (std::uint32_t f = 0; f < frames; ++f) {
        if (!readFrame(r, frame, readClock)) {
            error = (r.bad ? "damaged: bad record in frame " : "truncated: ends in frame ") +
                    std::to_string(f + 1) + " of " + std::to_string(frames);
            return false;
        }
    }
    std::uint64_t endLength = 0;
    if (!r.fixed(endLength, 4) || endLength > maxEndState || r.size - r.at < endLength + checksumSize) {
        error = endLength > maxEndState ? "damaged: bad end record" : "truncated: the end record is missing";
        return false;
    }
    std::string endText = demoBytes.substr(r.at, endLength);
    r.at += endLength;
    const std::size_t checked = r.at;
    std::uint64_t stored = 0;
    r.fixed(stored, 4);
    if (r.at != demoBytes.size()) {
        error = "damaged: " + std::to_string(demoBytes.size() - r.at) + " bytes after the end";
        return false;
    }
    if (stored != crc32(demoBytes, checked)) {
        error = "damaged: checksum mismatch";
        return false;
    }
    const std::uint32_t frameCount = frames;
    *this = Playback {};
    bytes = std::move(demoBytes);
    end = std::move(endText);
    frames = frameCount;
    rewind();
    return true;
}

bool Playback::next(Frame& frame) {
    if (handedOut >= frames) return false;
    Reader r(bytes, bytes.size());
    r.at = at;
    if (!readFrame(r, frame, clock)) return false;  // checked by open
    at = r.at;
    ++handedOut;
    return true;
}

void Playback::rewind() {
    at = headerSize;
    handedOut = 0;
    clock = 0;
}

bool decode(const std::string& bytes, Demo& demo, std::string& error) {
    demo = Demo {};
    Playback playback;
    return playback.open(bytes, error) && unpack(playback, demo);
}

bool saveDemo(const std::string& path, const Demo& demo, std::string& error) {
    // An older demo of that name stays until the new one is down whole.
    if (!writeFileAtomically(path, encode(demo))) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

bool openDemo(const std::string& path, Playback& playback, std::string& error) {
    std::error_code failed;
    if (!isRegularFile(path)) {
        error = std::filesystem::exists(path, failed) ? "not a regular file" : "cannot open " + path;
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    const std::uintmax_t size = std::filesystem::file_size(path, failed);
    if (!in || failed) {
        error = "cannot open " + path;
        return false;
    }
    std::string bytes(std::min<std::uintmax_t>(size, headerSize), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::uint32_t frames = 0;
    if (!checkHeader(bytes, size, frames, error)) return false;
    if (size > maxFileBytes) {
        error = "too large: " + std::to_string(size) + " bytes, at most " + std::to_string(maxFileBytes);
        return false;
    }
    bytes.resize(size);
    in.read(bytes.data() + headerSize, static_cast<std::streamsize>(size - headerSize));
    if (static_cast<std::uintmax_t>(in.gcount()) != size - headerSize) {
        error = "truncated: the file got shorter while it was read";
        return false;
    }
    return playback.open(std::move(bytes), error);
}

bool loadDemo(const std::string& path, Demo& demo, std::string& error) {
    demo = Demo {};
    Playback playback;
    return openDemo(path, playback, error) && unpack(playback, demo);
}

AnswerState::AnswerState() : down(cursorChannel, false), queries(channelCount, 0) {}

std::uint32_t AnswerState::nextQuery(std::uint32_t channel) {
    std::uint32_t& count = queries[channel];
    const std::uint32_t index = count;
    if (count < maxQueriesPerFrame) ++count;
    return index;
}

void AnswerState::apply(const Change& change) {
    if (isButtonChannel(change.channel))
        down[change.channel] = change.down;
    else if (change.channel == focusChannel)
        unfocused = change.down;
    else if (change.channel == cursorChannel)
        cursorAnswer = change.cursor;
    else
        pad = change.pad;
}

void AnswerState::newFrame() { std::fill(queries.begin(), queries.end(), 0u); }

void AnswerState::cursor(double& x, double& y) const {
    x = cursorAnswer.absolute ? cursorAnswer.x : setX + cursorAnswer.x;
    y = cursorAnswer.absolute ? cursorAnswer.y : setY + cursorAnswer.y;
}

}  // namespace demo
