// qrptool make: a report from EMF files, one page each.
#include "command.h"
#include "options.h"
#include "report/file_stream.h"
#include "report/page_list.h"

namespace qrp::tool {

namespace {
std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
    auto in = FileStream::OpenRead(path);
    const std::int64_t size = in->Size();
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in->ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}
}  // namespace

int RunMake(const Args& args) {
    const ParsedArgs parsed = ParseArgs(args, {}, {"--compress"});
    if (parsed.positional.size() < 2) throw UsageError{"expected an output file and at least one EMF file"};
    TQRPageList list;
    list.SetCompression(parsed.Has("--compress"));
    // Pages are gathered in a page stream as a recording would, then saved in one go, so
    // a bad input file leaves no half-made report behind.
    list.AttachStream(std::make_unique<TQRStream>(100000));
    for (std::size_t i = 1; i < parsed.positional.size(); ++i) {
        const auto picture = PagePicture::FromBytes(ReadWholeFile(parsed.positional[i]));
        list.AppendPage(*picture);
    }
    list.Finish();
    list.SaveCopy(parsed.positional[0]);
    return 0;
}

}  // namespace qrp::tool
