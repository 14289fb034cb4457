#include "platform/windows/EffectSounds.h"

#include "platform/Log.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

namespace {
const char* const files[] = {"qrc:/sounds/refusal.wav", "qrc:/sounds/doubt.wav", "qrc:/sounds/fault.wav"};
} // namespace

EffectSounds::EffectSounds(QObject* parent) : QObject(parent) {}

EffectSounds::~EffectSounds() = default;

void EffectSounds::silent(const QString& why)
{
    if (silentTold_)
        return;
    silentTold_ = true;
    Log::Warning(QStringLiteral("sounds are silent: %1").arg(why));
}

void EffectSounds::Play(Cue cue)
{
    if (QMediaDevices::audioOutputs().isEmpty()) {
        silent(QStringLiteral("there is no sound device"));
        return;
    }
    QSoundEffect*& effect = effects_[static_cast<size_t>(cue)];
    if (!effect) {
        effect = new QSoundEffect(this);
        connect(effect, &QSoundEffect::statusChanged, this, [this, effect] {
            if (effect->status() == QSoundEffect::Error)
                silent(QStringLiteral("%1 cannot be played on the sound device").arg(effect->source().toString()));
        });
        effect->setSource(QUrl(QLatin1String(files[static_cast<size_t>(cue)])));
    }
    // One that is still loading plays as soon as it is loaded.
    effect->play();
}
