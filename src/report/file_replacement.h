// Putting a new content in place of a file without losing what the user had.
//
// The content is written to a temporary file first, so a failure while writing it (a full
// disk, a source that cannot be read) leaves the old file as it was. It is then put in
// place by a rename only when that changes nothing but the content: a plain file with one
// link, owned by the writer, or a new file. Otherwise (hard links, another owner, a folder
// the writer may not change) the content is copied into the existing file, so its links,
// owner and permissions stay; its space is reserved first, so a full disk is found before
// the old content is touched. A symbolic link is followed to the file it leads to; a
// device or a pipe is written straight.
#pragma once

#include <string>
#include <utility>

namespace qrp {

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
    const std::string& TempPath() const { return m_tempPath; }
    // Puts the complete content written on tempFd (the taken descriptor) in place.
    // Throws FileError; the old file is then as it was unless the copy into it failed.
    void Commit(int tempFd);

  private:
    [[noreturn]] void Fail(int error) const;
    // Closes what is open and removes the temporary file unless it was put in place.
    void Release();
    bool MakeTemp(const std::string& folder);
    void CopyIntoTarget(int tempFd);

    std::string m_shownPath;
    std::string m_target;  // after following links
    std::string m_tempPath;
    int m_tempFd = -1;
    int m_targetFd = -1;  // the existing file, open for writing; -1 for a new one
    bool m_rename = true;
    bool m_direct = false;  // a device or a pipe: the content goes straight to it
};

}  // namespace qrp
