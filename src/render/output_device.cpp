#include "output_device.h"

#include <cerrno>
#include <unistd.h>
#include <utility>

#include "base/errors.h"
#include "base/messages.h"
#include "report/file_stream.h"

namespace qrp::render {

OutputDevice::OutputDevice(FileStream& file) : m_fd(file.Descriptor()), m_path(file.Path()) {
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

void OutputDevice::ThrowIfFailed() const {
    if (m_error != 0)
        throw FileError(messages::cannotCreateFile(m_path, messages::systemReason(m_error)));
}

qint64 OutputDevice::readData(char* /*data*/, qint64 /*maxSize*/) {
    return -1;
}

void OutputDevice::EditHead(qint64 size, std::function<void(QByteArray&)> edit) {
    m_headSize = size;
    m_edit = std::move(edit);
}

void OutputDevice::Finish() {
    if (!m_edit)
        return;
    const auto edit = std::exchange(m_edit, {});
    edit(m_head);
    Send(m_head.constData(), m_head.size());
    m_head.clear();
}

qint64 OutputDevice::writeData(const char* data, qint64 size) {
    if (m_edit) {
        m_head.append(data, size);
        if (m_head.size() >= m_headSize)
            Finish();
        return m_error != 0 ? -1 : size;
    }
    return Send(data, size);
}

qint64 OutputDevice::Send(const char* data, qint64 size) {
    // After one failure the output is lost: later writes must not hide the first reason.
    if (m_error != 0)
        return -1;
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::write(m_fd, data + done, static_cast<std::size_t>(size - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_error = n == 0 ? ENOSPC : errno;
            setErrorString(QString::fromStdString(messages::systemReason(m_error)));
            return -1;
        }
        done += n;
    }
    return done;
}

}  // namespace qrp::render
