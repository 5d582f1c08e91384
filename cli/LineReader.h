// Reads standard input one line at a time with few system calls, and says
// before it would block, so that answers already written can be flushed
// while the writer of the input waits for them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class TLineReader {
public:
    // beforeWait runs each time the buffered input is used up, before the
    // next read, which may block.
    TLineReader(int fd, void (*beforeWait)());

    // The next line without its "\n" and without one trailing "\r"; a final
    // line without "\n" counts. False at the end of the input.
    bool Next(std::string& line);

    // The next line as Next gives it, when the input read so far holds the
    // whole of it; false, reading nothing, when it does not. The text stays
    // valid until the next call of Next or SkipLine.
    bool NextBuffered(std::string_view& line);

    // After Next ran out of memory: drops the rest of the line it was
    // reading. False when the input ended there.
    bool SkipLine();

private:
    static constexpr std::size_t InitialSize = 1 << 16;

    bool Fill();

    int Fd;
    void (*BeforeWait)();
    std::vector<char> Buffer;
    std::size_t Begin = 0;
    std::size_t End = 0;
    bool AtEnd = false;
};
