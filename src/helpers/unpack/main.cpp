#include <archive.h>
#include <archive_entry.h>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// flingdial-unpack ARCHIVE FOLDER: unpacks the regular files, folders and
// symbolic links of ARCHIVE into FOLDER, which must exist. Device nodes,
// FIFOs and sockets are skipped, and so is any entry whose name or link
// leaves FOLDER. Prints "progress F" (F from 0 to 1) as it reads. The exit
// status says what failed (see Status), in words the program puts in the
// user's language; standard error holds libarchive's reason, if any.
//
// It runs as a process of its own, so that a hostile archive meets the
// parser away from the program, and so that it can change its working
// folder, which the extraction's safety checks need.

namespace {

enum Status {
    finished = 0,
    cantOpen = 1, // the archive isn't a regular file, or the folder can't be entered
    usage = 2,
    encrypted = 3,
    unreadable = 4, // not an archive libarchive reads
    damaged = 5,    // an entry's header can't be read
    cantWrite = 6,  // an entry can't be written: "NAME: reason"
    cantFinish = 7, // the last writes can't be completed
};

using Reader = std::unique_ptr<archive, decltype(&archive_read_free)>;
using Writer = std::unique_ptr<archive, decltype(&archive_write_free)>;

// Reports libarchive's reason (after `what`, when given) and returns `status`.
int fail(Status status, archive* from, const char* what = nullptr)
{
    const char* reason = from ? archive_error_string(from) : nullptr;
    if (what || reason)
        std::fprintf(stderr, "%s%s%s\n", what ? what : "", what && reason ? ": " : "",
                     reason ? reason : "");
    return status;
}

// Splits a relative name into its parts, leaving out "." and empty ones.
std::vector<std::string> parts(const std::string& path)
{
    std::vector<std::string> list;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t end = std::min(path.find('/', start), path.size());
        const std::string part = path.substr(start, end - start);
        if (!part.empty() && part != ".")
            list.push_back(part);
        start = end + 1;
    }
    return list;
}

// Whether a relative name stays inside the folder when read from `base`
// (the parts of the folder that holds it), ".." included.
bool staysInside(std::vector<std::string> base, const std::string& relative)
{
    if (relative.empty() || relative.front() == '/')
        return false;
    for (const std::string& part : parts(relative)) {
        if (part != "..")
            base.push_back(part);
        else if (base.empty())
            return false;
        else
            base.pop_back();
    }
    return true;
}

bool isWanted(archive_entry* entry)
{
    const std::string name = archive_entry_pathname(entry) ? archive_entry_pathname(entry) : "";
    if (!staysInside({}, name) || parts(name).empty())
        return false;
    if (const char* hardlink = archive_entry_hardlink(entry))
        return staysInside({}, hardlink);
    switch (archive_entry_filetype(entry)) {
    case AE_IFREG:
    case AE_IFDIR:
        return true;
    case AE_IFLNK: {
        const char* target = archive_entry_symlink(entry);
        std::vector<std::string> folder = parts(name);
        folder.pop_back();
        return target && staysInside(folder, target);
    }
    default:
        return false;
    }
}

int copyData(archive* from, archive* to)
{
    const void* block = nullptr;
    size_t size = 0;
    la_int64_t offset = 0;
    for (;;) {
        const int status = archive_read_data_block(from, &block, &size, &offset);
        if (status == ARCHIVE_EOF)
            return ARCHIVE_OK;
        if (status < ARCHIVE_WARN)
            return status;
        // A full disk is only a warning to libarchive; here it is the end.
        if (archive_write_data_block(to, block, size, offset) != ARCHIVE_OK)
            return ARCHIVE_FATAL;
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fputs("usage: flingdial-unpack ARCHIVE FOLDER\n", stderr);
        return usage;
    }
    struct stat source = {};
    if (::stat(argv[1], &source) != 0 || !S_ISREG(source.st_mode) || ::chdir(argv[2]) != 0)
        return fail(cantOpen, nullptr);

    Reader reader(archive_read_new(), archive_read_free);
    archive_read_support_filter_all(reader.get());
    archive_read_support_format_all(reader.get());
    if (archive_read_open_filename(reader.get(), argv[1], 1 << 16) != ARCHIVE_OK)
        return fail(unreadable, reader.get());

    Writer writer(archive_write_disk_new(), archive_write_free);
    // Never the owner, the set-ID bits or anything through a link or "..".
    archive_write_disk_set_options(
        writer.get(), ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_SECURE_SYMLINKS |
                          ARCHIVE_EXTRACT_SECURE_NODOTDOT | ARCHIVE_EXTRACT_SECURE_NOABSOLUTEPATHS);
    archive_write_disk_set_standard_lookup(writer.get());

    archive_entry* entry = nullptr;
    double shown = -1;
    for (;;) {
        const int status = archive_read_next_header(reader.get(), &entry);
        if (status == ARCHIVE_EOF)
            break;
        if (status < ARCHIVE_WARN)
            return fail(damaged, reader.get());
        if (archive_entry_is_encrypted(entry))
            return encrypted;
        const double done = double(archive_filter_bytes(reader.get(), -1)) / double(source.st_size);
        if (done - shown >= 0.01) {
            std::printf("progress %.3f\n", std::min(done, 1.0));
            std::fflush(stdout);
            shown = done;
        }
        if (!isWanted(entry))
            continue;
        if (archive_write_header(writer.get(), entry) < ARCHIVE_WARN)
            return fail(cantWrite, writer.get(), archive_entry_pathname(entry));
        if (archive_entry_size(entry) > 0 && copyData(reader.get(), writer.get()) != ARCHIVE_OK) {
            if (archive_read_has_encrypted_entries(reader.get()) > 0)
                return encrypted;
            return fail(cantWrite, writer.get(), archive_entry_pathname(entry));
        }
        if (archive_write_finish_entry(writer.get()) < ARCHIVE_WARN)
            return fail(cantWrite, writer.get(), archive_entry_pathname(entry));
    }
    if (archive_write_close(writer.get()) != ARCHIVE_OK)
        return fail(cantFinish, writer.get());
    return finished;
}
