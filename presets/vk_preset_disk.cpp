#include "presets/vk_preset_disk.h"

#include "presets/vk_preset_names.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vk::presets
{
namespace
{
namespace fs = std::filesystem;

fs::path pathOf(const juce::File& file)
{
    return fs::path(file.getFullPathName().toStdString());
}

bool isInside(const fs::path& candidate, const fs::path& folder)
{
    const auto relative = candidate.lexically_normal().lexically_relative(folder.lexically_normal());
    return !relative.empty() && *relative.begin() != "..";
}

const DiskTestHooks* testHooks = nullptr;

// The entries a copy created, in the order it created them: a failed copy removes exactly these.
using CreatedEntries = std::vector<fs::path>;

// Writes a copy of one regular file to a path that must not exist (O_EXCL: a file appearing meanwhile
// is never truncated), keeping the permission bits.
bool copyFileExclusive(const fs::path& from, const fs::path& to, CreatedEntries& created)
{
    std::error_code error;
    const auto permissions = fs::status(from, error).permissions();
    if (error)
        return false;
    std::ifstream in(from, std::ios::binary);
    if (!in)
        return false;
    if (testHooks != nullptr && testHooks->beforeExclusiveCreate)
        testHooks->beforeExclusiveCreate(juce::File(juce::String(to.string())));
    const int fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    created.push_back(to);
    bool ok = true;
    char buffer[65536];
    while (ok && in)
    {
        in.read(buffer, sizeof(buffer));
        const auto count = in.gcount();
        for (std::streamsize done = 0; ok && done < count;)
        {
            const auto written = ::write(fd, buffer + done, std::size_t(count - done));
            if (written < 0 && errno == EINTR)
                continue;
            ok = written > 0;
            done += written > 0 ? written : 0;
        }
    }
    ok = ok && in.eof() && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok)
        fs::permissions(to, permissions, error);
    return ok;
}

bool sameFileContents(const fs::path& a, const fs::path& b)
{
    std::error_code error;
    if (fs::file_size(a, error) != fs::file_size(b, error) || error)
        return false;
    std::ifstream first(a, std::ios::binary), second(b, std::ios::binary);
    char bufferA[65536], bufferB[65536];
    while (first && second)
    {
        first.read(bufferA, sizeof(bufferA));
        second.read(bufferB, sizeof(bufferB));
        if (first.gcount() != second.gcount() ||
            std::memcmp(bufferA, bufferB, std::size_t(first.gcount())) != 0)
            return false;
    }
    return first.eof() && second.eof();
}

// Copies `from` into the new path `to`; symbolic links are copied as links, never followed.
bool copyTree(const fs::path& from, const fs::path& to, CreatedEntries& created)
{
    std::error_code error;
    const auto status = fs::symlink_status(from, error);
    if (error)
        return false;
    if (fs::is_symlink(status))
    {
        // symlink() refuses an existing name, like the exclusive create of a file.
        const auto target = fs::read_symlink(from, error);
        if (error || ::symlink(target.c_str(), to.c_str()) != 0)
            return false;
        created.push_back(to);
        return true;
    }
    if (fs::is_regular_file(status))
        return copyFileExclusive(from, to, created);
    if (!fs::is_directory(status) || ::mkdir(to.c_str(), 0755) != 0)
        return false;
    created.push_back(to);
    for (fs::directory_iterator it(from, error), end; !error && it != end; it.increment(error))
        if (!copyTree(it->path(), to / it->path().filename(), created))
            return false;
    return !error;
}

// Removes what a copy created, newest first. A folder that someone else has put something into meanwhile
// is not empty and stays, with their entry.
void removeCreated(const CreatedEntries& created)
{
    for (auto it = created.rbegin(); it != created.rend(); ++it)
    {
        std::error_code error;
        if (fs::is_directory(fs::symlink_status(*it, error)))
            ::rmdir(it->c_str());
        else
            ::unlink(it->c_str());
    }
}

bool sameTree(const fs::path& a, const fs::path& b)
{
    std::error_code error;
    const auto statusA = fs::symlink_status(a, error);
    const auto statusB = fs::symlink_status(b, error);
    if (error || statusA.type() != statusB.type())
        return false;
    if (fs::is_symlink(statusA))
        return fs::read_symlink(a, error) == fs::read_symlink(b, error) && !error;
    if (fs::is_regular_file(statusA))
        return sameFileContents(a, b);
    std::size_t countA = 0, countB = 0;
    for (fs::directory_iterator it(a, error), end; !error && it != end; it.increment(error), ++countA)
        if (!sameTree(it->path(), b / it->path().filename()))
            return false;
    for (fs::directory_iterator it(b, error), end; !error && it != end; it.increment(error))
        ++countB;
    return !error && countA == countB;
}

// Deletes the original of a verified copy entry by entry, each only while its copy holds the same: an
// entry added to the original or changed after the copy was made stays. True when the original is gone.
bool removeCopiedOriginal(const fs::path& original, const fs::path& copy)
{
    std::error_code error;
    const auto status = fs::symlink_status(original, error);
    if (error)
        return false;
    if (!fs::is_directory(status))
        return sameTree(original, copy) && ::unlink(original.c_str()) == 0;
    bool all = true;
    std::vector<fs::path> children;
    for (fs::directory_iterator it(original, error), end; !error && it != end; it.increment(error))
        children.push_back(it->path());
    for (const auto& child : children)
        all = removeCopiedOriginal(child, copy / child.filename()) && all;
    return !error && all && ::rmdir(original.c_str()) == 0;
}
} // namespace

juce::File childOf(const juce::File& parent, const juce::String& encodedName)
{
    if (parent == juce::File() || !isUsableEncodedName(encodedName) ||
        encodedName.containsAnyOf(juce::File::getSeparatorString()) ||
        encodedName.getNumBytesAsUTF8() > std::size_t(NAME_MAX))
        return {};
    // Joined by hand: the framework's child-file joining takes a name starting with "~" for the home folder.
    return juce::File(parent.getFullPathName() + juce::File::getSeparatorString() + encodedName);
}

juce::Array<juce::File> listedEntries(const juce::File& folder, const juce::String& extension)
{
    if (folder == juce::File() || !folder.isDirectory())
        return {};
    const int kind = extension.isEmpty() ? juce::File::findDirectories : juce::File::findFiles;
    return folder.findChildFiles(kind | juce::File::ignoreHiddenFiles, false, "*" + extension);
}

namespace
{
juce::String listedName(const juce::File& entry, const juce::String& extension)
{
    return decodePresetName(entry.getFileName().dropLastCharacters(extension.length()));
}

int countListedAs(const juce::Array<juce::File>& entries, const juce::String& name,
                  const juce::String& extension, juce::File* found = nullptr)
{
    int count = 0;
    for (const auto& entry : entries)
        if (listedName(entry, extension) == name)
        {
            ++count;
            if (found != nullptr)
                *found = entry;
        }
    return count;
}

// A dangling link occupies its name too: creating there would fail, or follow the link.
bool isOccupied(const juce::File& file)
{
    std::error_code error;
    return fs::exists(fs::symlink_status(pathOf(file), error)) || file.exists();
}
} // namespace

juce::File findExistingEntry(const juce::File& folder, const juce::String& name,
                             const juce::String& extension)
{
    juce::File found;
    return countListedAs(listedEntries(folder, extension), name, extension, &found) == 1 ? found
                                                                                         : juce::File();
}

juce::File firstFreeName(const juce::File& folder, const juce::String& stem, const juce::String& extension,
                         bool numberedOnly)
{
    if (folder == juce::File())
        return {};
    const auto entries = listedEntries(folder, extension);
    for (int i = numberedOnly ? 1 : 0; i <= 99; ++i)
    {
        const auto candidate =
            childOf(folder, stem + (i == 0 ? juce::String() : " " + juce::String(i)) + extension);
        if (candidate != juce::File() && !isOccupied(candidate) &&
            countListedAs(entries, listedName(candidate, extension), extension) == 0)
            return candidate;
    }
    return {};
}

bool copyWithoutReplacing(const juce::File& from, const juce::File& to)
{
    if (from == juce::File() || to == juce::File())
        return false;
    const auto source = pathOf(from);
    const auto destination = pathOf(to);
    std::error_code error;
    if (fs::exists(fs::symlink_status(destination, error)) || isInside(destination, source) ||
        source.lexically_normal() == destination.lexically_normal())
        return false;
    CreatedEntries created;
    if (copyTree(source, destination, created) && sameTree(source, destination))
        return true;
    removeCreated(created);
    return false;
}

bool moveWithoutReplacing(const juce::File& from, const juce::File& to)
{
    if (from == juce::File() || to == juce::File())
        return false;
    const auto source = pathOf(from);
    const auto destination = pathOf(to);
    std::error_code error;
    if (!fs::exists(fs::symlink_status(source, error)) || isInside(destination, source))
        return false;

    const bool crossFileSystem = testHooks != nullptr && testHooks->crossFileSystem;
    if (!crossFileSystem &&
        ::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, destination.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (!crossFileSystem &&
        (errno == EEXIST || errno == ENOENT || errno == ENOTDIR || errno == EACCES || errno == EPERM))
        return false;

    if (!crossFileSystem && (errno == EINVAL || errno == ENOSYS))
    {
        // A file system without the no-replace flag: a hard link refuses an existing target for files;
        // a folder takes the place of an empty folder that only we can have just created.
        if (!fs::is_directory(fs::symlink_status(source, error)))
        {
            if (::link(source.c_str(), destination.c_str()) == 0)
                return ::unlink(source.c_str()) == 0 || (::unlink(destination.c_str()), false);
            if (errno != EXDEV && errno != EPERM)
                return false;
        }
        else if (::mkdir(destination.c_str(), 0755) == 0)
        {
            if (::rename(source.c_str(), destination.c_str()) == 0)
                return true;
            const int renameError = errno;
            ::rmdir(destination.c_str());
            if (renameError != EXDEV)
                return false;
        }
        else
            return false;
    }

    if (!copyWithoutReplacing(from, to))
        return false;
    if (testHooks != nullptr && testHooks->beforeSourceRemoved)
        testHooks->beforeSourceRemoved();
    // When the original cannot be removed whole (a read-only folder, or entries added or changed since
    // the copy), the verified copy stays, so that nothing is lost, and the move is reported as failed.
    return removeCopiedOriginal(source, destination);
}

bool replaceFileContents(const juce::File& file, const juce::MemoryBlock& bytes)
{
    if (file == juce::File())
        return false;
    const auto folder = pathOf(file.getParentDirectory());
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt)
    {
        char name[16];
        std::snprintf(name, sizeof(name), ".vkp%08x", unsigned(random()));
        const auto temporary = folder / name;
        // O_EXCL: a name someone else holds is never opened, and the next attempt takes another.
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return false;
        const auto* data = static_cast<const char*>(bytes.getData());
        bool ok = true;
        for (std::size_t done = 0; ok && done < bytes.getSize();)
        {
            const auto written = ::write(fd, data + done, bytes.getSize() - done);
            if (written < 0 && errno == EINTR)
                continue;
            ok = written > 0;
            done += written > 0 ? std::size_t(written) : 0;
        }
        ok = ok && ::fsync(fd) == 0;
        ok = (::close(fd) == 0) && ok;
        if (ok && ::rename(temporary.c_str(), pathOf(file).c_str()) == 0)
            return true;
        ::unlink(temporary.c_str());
        return false;
    }
    return false;
}

void setDiskTestHooks(const DiskTestHooks* hooks)
{
    testHooks = hooks;
}

} // namespace vk::presets
