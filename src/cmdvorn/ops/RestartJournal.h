#pragma once
// The restart journal of a download: a small file per terminal in the data
// directory's ".cmdvorn" folder that says how far a download got, so that a
// run killed half-way can be undone by the next one instead of leaving its
// lines in the output files a second time.
//
// One line per step, each written and synced before the step it announces:
//   cmdvorn-journal 1                          the format
//   T <term> <object> <count> <digest>         the first record is about to be written
//   F <dev> <ino> <born> <size> <path>         before the first line into that file
//   D <saved>                                  the delete is about to go out
// each followed by "*" and the CRC-16 of the text before it in four hex
// digits. A line that did not reach its end was never acted on. The file is
// removed when the download ends, however it ends; only a killed run leaves it.
#include "RecordWriter.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

class zLogger;

namespace journal {

constexpr const char* kDirectory = ".cmdvorn";

// "<data directory>/.cmdvorn" and the journal of a terminal in it.
std::string directoryOf(const zString& dataDirectory);
std::string pathOf(const zString& dataDirectory, int terminalNumber);

// Makes the folder when it is missing, with the data directory's
// permissions without anyone else's; false (errno set) when it cannot be.
// `fileMode` gets the mode its files take.
bool makeDirectory(const zString& dataDirectory, mode_t& fileMode);
// Creates (open flags plus O_CREAT) the file at `path` in the folder,
// making the folder when it is missing; -1 (errno set) when it cannot be.
// A download that ends elsewhere may remove the empty folder meanwhile:
// then it is made again.
int createFile(const zString& dataDirectory, const std::string& path, int flags, mode_t& fileMode);
// Syncs a folder, so that the names made in it survive a crash.
bool syncDirectory(const std::string& path);

// A digest that tells one record from any other the terminal may hold later.
std::uint64_t digest(const void* data, std::size_t length, std::uint64_t seed = 0xcbf29ce484222325ull);

// A file is the same file while its device, inode and birth time are: a
// file deleted and created anew may get the old inode back.
struct FileMark {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t born = 0;  // nanoseconds; 0 where the file system keeps no birth time
    std::int64_t size = 0;
    std::string path;
};

struct Contents {
    int terminal = 0;
    std::string object;  // "RE", "RA" or "JO"; the line protocol's download writes "RE"
    int count = 0;
    std::uint64_t digest = 0;
    bool begun = false;  // a T line: something may have been written
    std::vector<FileMark> files;
    bool deletePending = false;
    int saved = 0;
};

// A journal's or manifest's whole text; false when it cannot be read or
// is too long to be one of ours.
bool readSmallFile(const std::string& path, std::string& text);
// One line of the journal with its check and line end.
std::string line(std::string_view body);
// The bodies of a file of checked lines that begins with `header`; false
// when a complete line is damaged or the header is not there. A last line
// without its end was cut short by a kill and is dropped.
bool checkedLines(std::string_view text, std::string_view header, std::vector<std::string_view>& bodies);
// False when the text is not a journal of ours (a complete line that is
// damaged, unknown or out of order); a last line without its end is dropped.
bool parse(std::string_view text, Contents& out);

// What became of a file since its mark.
struct FileNow {
    bool exists = false;  // and is a plain file
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t born = 0;
    std::int64_t size = 0;
};
FileNow fileNow(const char* path);
// "<dev> <ino> <born> <size>": a file's mark as the journal's lines carry it.
std::string markFields(const FileNow& now);
// Takes those four fields off the front of `rest` into `mark`.
bool takeMarkFields(std::string_view& rest, FileMark& mark);
// The whole text onto `fd`, across short writes; false (errno set) when it
// cannot be.
bool writeAll(int fd, std::string_view text);
// Cuts the file to `size` bytes and syncs it; false (errno set) when it cannot be.
bool cutTo(const char* path, std::int64_t size);

// Bytes to cut so that the file is what it was at its mark, or -1 when it
// must be left alone: moved away, replaced, or shorter than it was.
std::int64_t bytesToCut(const FileMark& mark, const FileNow& now);

// Whether the lines written after the marks are still held by the terminal
// and must go. Without a pending delete they always are; with one, only a
// terminal whose first record is still the journal's (so the delete never
// happened) holds them. `firstDigest` is nullptr when the terminal could
// not be asked, or held nothing.
bool linesStillOnTerminal(const Contents& contents, const std::uint64_t* firstDigest);

}  // namespace journal

// The journal of the download under way. Nothing is on the disk until the
// first record is about to be written; the file goes when this does.
class RestartJournal : public OutputWatch {
public:
    RestartJournal(const zString& dataDirectory, int terminalNumber, const char* object, int count, zLogger& log,
                   const zString& label);
    ~RestartJournal();
    RestartJournal(const RestartJournal&) = delete;
    RestartJournal& operator=(const RestartJournal&) = delete;

    // Before the first record of the download is written; `first` is the
    // digest of the record in hand. Later calls do nothing.
    void begin(std::uint64_t first);
    bool begun() const { return begun_; }
    // Before a line goes into `file`: its mark, the first time.
    void appending(const zFile& file) override;
    // Before the delete: false when the delete must not go out, because the
    // journal would then tell the next run that it did not.
    bool deletePending(int saved);

private:
    bool append(const std::string& text);
    // A journal that could not be kept is worse than none: it goes.
    void abandon(const char* why);
    void remove();

    std::string directory_;
    std::string path_;
    int terminal_;
    const char* object_;
    int count_;
    zLogger& log_;
    zString label_;
    int fd_ = -1;
    bool begun_ = false;
    bool failed_ = false;
    std::vector<const zFile*> marked_;
};
