// The floor of a batch calculator's time: reads standard input to its end
// and writes the bytes of the file it is given, as a program that answered
// every line with nothing to work out would.
//   ovcalc_floor EXPECTED < equations
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: ovcalc_floor EXPECTED < input\n");
        return 2;
    }
    std::vector<char> buffer(1 << 16);
    while (read(0, buffer.data(), buffer.size()) > 0) {
    }
    const int expected = open(argv[1], O_RDONLY);
    if (expected < 0) {
        std::perror(argv[1]);
        return 1;
    }
    for (ssize_t n; (n = read(expected, buffer.data(), buffer.size())) > 0;) {
        for (ssize_t done = 0; done < n;) {
            const ssize_t written = write(1, buffer.data() + done, static_cast<std::size_t>(n - done));
            if (written <= 0) {
                return 1;
            }
            done += written;
        }
    }
    return 0;
}
