// A fresh directory for one test, removed with everything in it afterwards.
// Paths are UTF-8 strings, as the program holds them, with the system's own
// separator.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#ifdef _WIN32
inline constexpr char Separator = '\\';
#else
inline constexpr char Separator = '/';
#endif

inline std::filesystem::path PathOf(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string Utf8Of(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

class TTempDir {
public:
    TTempDir()
    {
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        std::mt19937 random(std::random_device{}());
        for (int attempt = 0; attempt < 100 && FPath.empty(); ++attempt) {
            const std::filesystem::path candidate = base / ("ovtest." + std::to_string(random()));
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error)) {
                FPath = Utf8Of(candidate);
            } else if (error) {
                break;
            }
        }
    }
    ~TTempDir()
    {
        // Whatever a test made read-only (files, or folders on POSIX) is
        // made writable again, or it could not be removed.
        MakeWritable(PathOf(FPath));
        std::error_code error;
        std::filesystem::remove_all(PathOf(FPath), error);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    const std::string& Path() const { return FPath; }
    std::string operator/(std::string name) const
    {
        for (char& c : name) {
            if (c == '/') {
                c = Separator;
            }
        }
        return FPath + Separator + name;
    }

private:
    static void MakeWritable(const std::filesystem::path& path)
    {
        namespace fs = std::filesystem;
        std::error_code error;
        const fs::file_status status = fs::symlink_status(path, error);
        if (error || fs::is_symlink(status)) {
            return;
        }
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, error);
        if (fs::is_directory(status)) {
            for (const fs::directory_entry& entry : fs::directory_iterator(path, error)) {
                MakeWritable(entry.path());
            }
        }
    }

    std::string FPath;
};

inline void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream(PathOf(path), std::ios::binary) << text;
}

inline std::string ReadFile(const std::string& path)
{
    std::ifstream file(PathOf(path), std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

#ifdef _WIN32
// On Windows a file's read-only attribute binds every user alike: the check
// runs in this process.
template <typename TCheck>
int RunUnprivileged(TCheck check)
{
    return check();
}
#else
#include <sys/wait.h>
#include <unistd.h>

// Runs check in a child process without the superuser's rights (file
// permissions do not bind the superuser) and returns its exit status, or -1.
template <typename TCheck>
int RunUnprivileged(TCheck check)
{
    pid_t child = ::fork();
    if (child < 0) {
        return -1;
    }
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(100);
        }
        ::_exit(check());
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}
#endif
