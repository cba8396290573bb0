#pragma once

#include "document/ReportFill.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <QThreadPool>

#include <atomic>
#include <chrono>
#include <deque>
#include <future>
#include <memory>
#include <optional>

// The pictures of a report on their way to PNG: each is encoded on a thread of
// the encoders' own as soon as it is pasted, and the pictures waiting for an
// encoder are kept few (back-pressure on the thread that pastes).

// A picture waiting to be written. Its PNG is encoded by whoever comes first:
// the worker started by paste(), or flush() when the worker has not begun yet
// (so a busy pool never makes flush() wait for a job that is still queued).
struct PendingPicture {
    PendingPicture(const QImage& picture, const QString& segment)
        : image(picture), pixels(picture.deviceIndependentSize().toSize()), segmentName(segment),
          png(promise.get_future()) {}

    // False when another thread has taken it on.
    bool encode();
    QByteArray result() {
        encode();
        return png.get();
    }

    bool encoded() const {
        return png.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    }

    QImage image; // released once encoded
    QSize pixels; // logical: the size on the page whatever the pixel ratio
    QString segmentName;
    std::optional<docx::RowValues> row; // a batch's plotted row
    std::atomic<bool> claimed{false};
    std::promise<QByteArray> promise;
    std::shared_future<QByteArray> png;
};

class PictureEncoders {
public:
    PictureEncoders();
    // Nobody waits for the pictures not yet begun any more.
    ~PictureEncoders() { m_pool.clear(); }
    PictureEncoders(const PictureEncoders&) = delete;
    PictureEncoders& operator=(const PictureEncoders&) = delete;

    // A picture waiting to be written, its encoding begun.
    std::shared_ptr<PendingPicture> start(const QImage& picture, const QString& segmentName);

private:
    // Keeps the number of pictures waiting for an encoder small.
    void limitEncoding(const std::shared_ptr<PendingPicture>& pasted);

    // Pictures handed to the encoders and perhaps not yet encoded, oldest
    // first: each holds its whole image until it is.
    std::deque<std::weak_ptr<PendingPicture>> m_encoding;
    // The encoders' own threads: Qt draws some images in parallel on its
    // global pool, and the window's painting would otherwise queue behind
    // the pictures waiting there.
    QThreadPool m_pool;
};
