// qrptool make: a report from EMF files, one page each.
#include <cstdio>

#include "command.h"
#include "options.h"
#include "report/file_identity.h"
#include "report/file_stream.h"
#include "report/page_list.h"

namespace qrp::tool {

namespace {
// The EMF at the start of a file. Bytes after the EMF's stated length are no part of the
// picture (some producers leave them); they are not stored, and the user is told.
std::unique_ptr<PagePicture> ReadEmfFile(const std::string& path) {
    auto in = FileStream::OpenRead(path);
    const std::int64_t size = in->Size();
    auto picture = PagePicture::ReadFrom(*in, size);
    const auto stored = static_cast<std::int64_t>(picture->Bytes().size());
    if (stored < size)
        std::fprintf(stderr, "qrptool: %s: %lld bytes after the end of the EMF are not stored\n", path.c_str(),
                     static_cast<long long>(size - stored));
    return picture;
}
}  // namespace

int RunMake(const Args& args) {
    const ParsedArgs parsed = ParseArgs(args, {}, {"--compress"});
    if (parsed.positional.size() < 2)
        throw UsageError{"expected an output file and at least one EMF file"};
    const std::string& output = parsed.positional[0];
    for (std::size_t i = 1; i < parsed.positional.size(); ++i)
        RefuseOutputOnto(output, IdentityOfPath(parsed.positional[i]));
    TQRPageList list;
    list.SetCompression(parsed.Has("--compress"));
    // Pages are gathered in a page stream as a recording would, then saved in one go, so
    // a bad input file leaves no half-made report behind.
    list.AttachStream(std::make_unique<TQRStream>(100000));
    for (std::size_t i = 1; i < parsed.positional.size(); ++i) {
        list.AppendPage(*ReadEmfFile(parsed.positional[i]));
    }
    list.Finish();
    list.SaveCopy(output);
    return 0;
}

}  // namespace qrp::tool
