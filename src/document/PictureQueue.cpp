#include "document/PictureQueue.h"

#include "picture/PalettePng.h"

#include <QThread>

#include <algorithm>

bool PendingPicture::encode() {
    if (claimed.exchange(true))
        return false;
    QImage picture = std::move(image);
    // The picture is shown at 96 dpi, times its pixel ratio when drawn
    // finer; say so in the file as well.
    const int dotsPerMetre = qRound(3780 * picture.devicePixelRatio());
    picture.setDotsPerMeterX(dotsPerMetre);
    picture.setDotsPerMeterY(dotsPerMetre);
    promise.set_value(palettepng::encode(picture));
    return true;
}

PictureEncoders::PictureEncoders() {
    // The thread that pastes keeps a core of its own; it encodes as well
    // when the encoders fall behind.
    m_pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount() - 1));
}

std::shared_ptr<PendingPicture> PictureEncoders::start(const QImage& picture,
                                                       const QString& segmentName) {
    auto pending = std::make_shared<PendingPicture>(picture, segmentName);
    m_pool.start([pending] { pending->encode(); });
    limitEncoding(pending);
    return pending;
}

// Pictures are pasted faster than the encoders keep up when a batch draws
// on one core and encodes on the others: past a few waiting, this thread
// encodes one that no encoder has begun (the newest, which they would reach
// last), and waits only when they have begun them all. So the images waiting
// stay a few, not hundreds, and no core idles while one waits.
void PictureEncoders::limitEncoding(const std::shared_ptr<PendingPicture>& pasted) {
    constexpr size_t kMaxWaitingImages = 8;
    m_encoding.push_back(pasted);
    std::erase_if(m_encoding, [](const std::weak_ptr<PendingPicture>& waiting) {
        const auto picture = waiting.lock();
        return !picture || picture->encoded();
    });
    while (m_encoding.size() > kMaxWaitingImages) {
        const auto unclaimed =
            std::find_if(m_encoding.rbegin(), m_encoding.rend(), [](const auto& waiting) {
                const auto picture = waiting.lock();
                return picture && !picture->claimed;
            });
        if (unclaimed != m_encoding.rend() && unclaimed->lock()->encode()) {
            m_encoding.erase(std::next(unclaimed).base());
            continue;
        }
        if (const auto oldest = m_encoding.front().lock())
            oldest->result();
        m_encoding.pop_front();
    }
}
