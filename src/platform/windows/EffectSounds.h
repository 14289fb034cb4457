#pragma once

#include "platform/Sounds.h"

#include <QObject>

#include <array>

class QSoundEffect;

// The sounds through Qt Multimedia: three small WAV files in the resources, loaded on first
// use. Without a sound device, or when the device fails, it stays silent and says so once in
// the log.
class EffectSounds : public QObject, public Sounds {
    Q_OBJECT
public:
    explicit EffectSounds(QObject* parent = nullptr);
    ~EffectSounds() override;

    void Play(Cue cue) override;

private:
    void silent(const QString& why);

    std::array<QSoundEffect*, 3> effects_{};
    bool silentTold_ = false;
};
