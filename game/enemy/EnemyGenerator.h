// The stage's scheduler of timed events. It rides on the centre record and
// keeps a clock; each event waits until the clock reaches its time, then runs
// once per frame until its function reports that it is done.
#pragma once
#include <list>

#include <boost/function.hpp>

#include "game/world/Object3D.h"

class IActionScene;

namespace Quorvex {
class IResourceManager;
}

class Event_CreateEnemy {
public:
    // Progress that an event function keeps between frames; owned by the
    // event. Functions derive their own block from it.
    struct State {
        virtual ~State() = default;
    };

    Event_CreateEnemy() = default;
    Event_CreateEnemy(const boost::function<int(Event_CreateEnemy*)>& fn, float delay) : function(fn), time(delay) {}
    // Copies function and time. Events are copied only while pending, when
    // they hold no state, so the copy starts without one.
    Event_CreateEnemy(const Event_CreateEnemy& other) : function(other.function), time(other.time) {}
    Event_CreateEnemy& operator=(const Event_CreateEnemy&) = delete;
    virtual ~Event_CreateEnemy() { delete state; }

    boost::function<int(Event_CreateEnemy*)> function;  // non-zero result ends the event
    float time = 0.0f;
    State* state = nullptr;
};

class EnemyGenerator : public Quorvex::Object3D {
public:
    typedef std::list<Event_CreateEnemy> EventList;

    EnemyGenerator(Quorvex::ObjectManager* objectManager, Quorvex::IAreaManager* areaManager,
                   const Quorvex::AreaPos& position);
    ~EnemyGenerator() override;

    int Initialize(int param) override;
    void Update(float dt) override { UpdateEvents(dt); }
    // Drops every pending event; running ones go on.
    virtual void ClearEvents();

    // The delay becomes a clock time; among equal times the later-added event
    // runs first.
    void AddEvent(const Event_CreateEnemy& event);
    void UpdateEvents(float dt);

    float GetClock() const { return clock; }
    const D3DXVECTOR3& GetCenterMotion() const { return centerMotion; }

    Quorvex::IResourceManager* resourceManager = nullptr;  // counted
    float clock = 0.0f;
    D3DXVECTOR3 centerMotion{0.0f, 0.0f, 0.0f};
    EventList pending;
    EventList active;
    IActionScene* stageScene = nullptr;
};
