// Telling whether a name reaches a file that is open, so that no output is ever written
// over the report it is made from.
#pragma once

#include <optional>
#include <string>
#include <sys/types.h>

namespace qrp {

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The file a path reaches after following links, or none when it reaches none.
std::optional<FileIdentity> IdentityOfPath(const std::string& path);
// The file open on fd, or none for a descriptor that is not open (-1: data in memory).
std::optional<FileIdentity> IdentityOfDescriptor(int fd);

// Throws FileError "Cannot create file "<full path>". The file is the report being shown; ..."
// when output reaches the input file. Checked before anything is created or emptied.
void RefuseOutputOnto(const std::string& output, const std::optional<FileIdentity>& input);

// The absolute, normalised form of a name as typed, for messages; an empty name stands
// for the current folder.
std::string FullPath(const std::string& path);

}  // namespace qrp
