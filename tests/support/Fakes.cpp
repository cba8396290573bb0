#include "support/Fakes.h"

void FakeDialogs::critical(const QString& text) {
    messages.append({true, text});
    if (onMessage)
        onMessage(messages.last());
}

void FakeDialogs::information(const QString& text) {
    messages.append({false, text});
    if (onMessage)
        onMessage(messages.last());
}

QString FakeDialogs::openFileName(const QString& filter, bool) {
    ++dialogsShown;
    filtersAsked.append(filter);
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

QStringList FakeDialogs::criticalTexts() const {
    QStringList texts;
    for (const auto& m : messages)
        if (m.critical)
            texts.append(m.text);
    return texts;
}

QStringList FakeDialogs::informationTexts() const {
    QStringList texts;
    for (const auto& m : messages)
        if (!m.critical)
            texts.append(m.text);
    return texts;
}

void FakeClipboard::clear() {
    ++clears;
    image = QImage();
}

bool FakeClipboard::setImage(const QImage& picture) {
    if (failSet)
        return false;
    ++sets;
    image = picture;
    return true;
}

void CountingYield::yieldEvents() {
    ++count;
    if (onYield)
        onYield(count);
}
