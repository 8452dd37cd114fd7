// The objects that every stage of one run shares: the first action scene
// makes them, later stages find them here, and the last action scene to go
// releases them. Kept apart from the game state record, which holds its own
// (plain or counted) pointers to some of the same objects.
#pragma once

class BlurManager;
class CollisionRenderer;
class EffectGenerator;
class EnemyGenerator_Derive;
class FlashManager;
class SceneRequests;
class GraphicManager;
class HudManager;
class LightObject;
class MarkerGenerator;
class Player;
class ScenePause;
class ScoreMarkerFactory;
class ViewObject;

// One counted reference. A new value releases the old one; setting the held
// object again keeps its one reference. The owner clears it (no destructor:
// the slot may name a class that is only declared where it is kept).
template <class T>
class CountedSlot {
public:
    CountedSlot() = default;
    CountedSlot(const CountedSlot&) = delete;
    CountedSlot& operator=(const CountedSlot&) = delete;

    T* Get() const { return m_p; }
    void Set(T* object) {
        if (object == m_p) return;
        if (object) object->AddRef();
        T* old = m_p;
        m_p = object;
        if (old) old->Release();
    }
    void Clear() { Set(nullptr); }

private:
    T* m_p = nullptr;
};

struct GameSceneRegistry {
    // +1 at the end of each successful action-scene set-up, -1 in each
    // action-scene destructor.
    int actionSceneCount = 0;
    // The dialogue commands ("NextSpeak", "NextSpeakSkip") are bound.
    bool dialogueCommandsBound = false;

    CountedSlot<SceneRequests> gameManager;
    CountedSlot<EffectGenerator> effectGenerator;
    CountedSlot<EnemyGenerator_Derive> enemyGenerator;
    CountedSlot<MarkerGenerator> markerGenerator;
    CountedSlot<ScoreMarkerFactory> scoreMarkerFactory;
    CountedSlot<CollisionRenderer> collisionRenderer;
    CountedSlot<BlurManager> blurManager;
    CountedSlot<FlashManager> flashManager;
    CountedSlot<GraphicManager> graphicManager;
    CountedSlot<ScenePause> pauseScene;
    CountedSlot<ViewObject> camera;
    CountedSlot<LightObject> light;
    // Set by the stage scenes.
    CountedSlot<Player> player;
    CountedSlot<HudManager> hudManager;
};

// The process-wide registry.
GameSceneRegistry& GetGameSceneRegistry();
