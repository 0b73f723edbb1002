// How a report document talks to the windows linked to it. The numbers are the window
// message numbers the document has always used (the first user message and the ones after).
#pragma once

#include <cstdint>

namespace qrp {

class TQRPrinter;

enum class DocumentMessage : std::uint32_t {
    Progress = 1024,       // value: the new Progress
    PageAvailable = 1025,  // value: the new PagesReady
    PrintRequest = 1026,   // to the owning report window; value 0
    CloseRequest = 1028,   // to the owning report window, sent with the document
};

// A window that shows or owns a document. The document never owns it.
class DocumentWindow {
  public:
    virtual ~DocumentWindow() = default;
    // Posted: the receiver queues it and acts after the document's call has returned, from
    // its own event loop.
    virtual void Post(DocumentMessage message, std::int32_t value) = 0;
    // Sent: handled before the call returns (the close request of DismissPreview).
    virtual void Send(DocumentMessage message, TQRPrinter& document) = 0;
    // The document is being destroyed: a preview showing it lets go of it now (clearing its
    // document, which clears PreviewShown and NotifyWindow) and must not touch it afterwards.
    virtual void DocumentDestroyed(TQRPrinter& document) = 0;
};

}  // namespace qrp
