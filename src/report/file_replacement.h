// Putting a new content in place of a file without losing what the user had.
//
// The content is written to a temporary file first, so a failure while writing it (a full
// disk, a source that cannot be read) leaves the old file as it was. Where the file system
// allows, the temporary file has no name until it is complete, so that nothing is left by
// an interrupt, a kill or a power cut; otherwise it is named, and SIGINT, SIGTERM and SIGHUP
// remove it (interrupt_cleanup.h). It is put in place by a rename when that changes nothing
// but the content: a plain file with one link whose owner, group, mode and extended
// attributes (ACLs among them) the new file can take on, or a new file; the folder is then
// synced, so a reported success survives a power cut. Otherwise (hard links, attributes
// that cannot be set, a folder the writer may not change) the content is copied into the
// existing file, so its links, owner and permissions stay; its space is reserved first, so
// a full disk is found before the old content is touched.
//
// A symbolic link is followed to the file it leads to, except one in a sticky folder that
// others may write (/tmp) whose owner is neither the folder's owner nor the writer: that
// may be another user's trap, and is refused with "Permission denied". A device or a pipe
// is written straight, and "-" is the standard output.
#pragma once

#include <memory>
#include <string>
#include <utility>

namespace qrp {

class InterruptCleanup;

class FileReplacement {
  public:
    // Checks that fileName may be written and makes the temporary file. Throws FileError
    // "Cannot create file "<full path>". <reason>" otherwise; nothing is created then.
    explicit FileReplacement(const std::string& fileName);
    // Removes the temporary file unless Commit put it in place.
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Where the content goes (the temporary file, or a device itself); from here on the
    // caller closes it.
    int TakeTempDescriptor() { return std::exchange(m_tempFd, -1); }
    const std::string& ShownPath() const { return m_shownPath; }
    // A name the content can be opened by while the descriptor is open, for writers that
    // only take a name (/proc/self/fd/N when the temporary file has none); empty for a
    // device or a pipe.
    const std::string& TempPath() const { return m_contentPath; }
    // Puts the complete content written on tempFd (the taken descriptor) in place.
    // Throws FileError; the old file is then as it was unless the copy into it failed.
    void Commit(int tempFd);
    // Throws FileError naming the output with the system's reason for errno `error`.
    [[noreturn]] void Fail(int error) const;

  private:
    // Closes what is open and removes the temporary file unless it was put in place.
    void Release();
    bool MakeTemp(const std::string& folder);
    // Gives the temporary file the target's owner, group, mode and extended attributes;
    // false when one of them cannot be set.
    bool TakeOnAttributes(int targetFd);
    // Names the unnamed temporary file beside the target; the name is removed on failure.
    void LinkTemp(int tempFd);
    void CopyIntoTarget(int tempFd);

    std::string m_shownPath;
    std::string m_target;    // after following links
    std::string m_tempPath;  // the temporary file's name while it has one
    std::string m_contentPath;
    std::unique_ptr<InterruptCleanup> m_cleanup;  // for m_tempPath
    int m_tempFd = -1;
    int m_targetFd = -1;  // the existing file, open for writing; -1 for a new one
    bool m_rename = true;
    bool m_unnamed = false;  // the temporary file has no name yet
    bool m_direct = false;   // a device or a pipe: the content goes straight to it
};

}  // namespace qrp
