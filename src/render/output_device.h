// The device Qt's PDF and SVG writers write on: an output file of ours (FileStream), whose
// every write is checked. Given a file name, Qt's writers open the file themselves and
// ignore a full disk, and a printer given no name prints instead; so no output is ever
// handed to them by name.
#pragma once

#include <functional>
#include <string>

#include <QByteArray>
#include <QIODevice>

namespace qrp {
class FileStream;
}

namespace qrp::render {

class OutputDevice : public QIODevice {
  public:
    // Open for writing on file's descriptor; the file must outlive the device.
    explicit OutputDevice(FileStream& file);

    // Written straight, in order: a pipe or a terminal takes the bytes as they come.
    bool isSequential() const override { return true; }
    // Throws FileError "Cannot create file "<path>". <reason>" with the system's reason
    // for the first write that failed; nothing when every write succeeded.
    void ThrowIfFailed() const;
    // Holds the first `size` bytes back and lets `edit` change them in place before they go
    // out, so that what a writer puts in its first bytes can be put right even on a pipe.
    // Finish sends what is still held.
    void EditHead(qint64 size, std::function<void(QByteArray&)> edit);
    void Finish();

  protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

  private:
    qint64 Send(const char* data, qint64 size);

    int m_fd;
    std::string m_path;
    int m_error = 0;  // errno of the first failed write
    qint64 m_headSize = 0;
    QByteArray m_head;
    std::function<void(QByteArray&)> m_edit;
};

}  // namespace qrp::render
