// A scene that records what the tree does to it, and the environment the tree
// needs around it.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "engine/core/AreaPos.h"
#include "engine/core/Environment.h"
#include "engine/core/MessageTable.h"
#include "engine/core/SceneBase.h"

namespace scene_test {

// Creates the process-wide environment for the test and releases it after.
struct EnvironmentScope {
    EnvironmentScope() {
        Quorvex::MessageTable::Build();
        Quorvex::SetupWorldExtents();
    }
    ~EnvironmentScope() {
        Quorvex::Environment* environment = Quorvex::g_pEnvironment;
        Quorvex::g_pEnvironment = nullptr;
        if (environment) environment->Release();
    }
};

class ProbeScene : public Quorvex::SceneBase {
public:
    explicit ProbeScene(std::string name, std::vector<std::string>* trace = nullptr) : m_trace(trace) {
        m_name = std::move(name);
    }

    int OnInitialize(void*) override { return onInitialize ? onInitialize(*this) : 0; }
    void OnUpdate(float timeStep) override {
        ++updates;
        lastTimeStep = timeStep;
        if (m_trace) m_trace->push_back("update " + m_name);
        if (onUpdate) onUpdate(*this);
    }
    void OnRender() override {
        if (m_trace) m_trace->push_back("render " + m_name);
    }
    bool MsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (onMessage && onMessage(message, wParam, lParam)) return true;
        return SceneBase::MsgProc(window, message, wParam, lParam);
    }

    void SetCreation(int objectManager, int areaManager) {
        m_objectManagerCreation = objectManager;
        m_areaManagerCreation = areaManager;
    }

    std::function<int(ProbeScene&)> onInitialize;
    std::function<void(ProbeScene&)> onUpdate;
    // Answers true for a message it takes.
    std::function<bool(UINT, WPARAM, LPARAM)> onMessage;
    int updates = 0;
    float lastTimeStep = 0.0f;

private:
    std::vector<std::string>* m_trace;
};

// A counted scene: the creator's reference is released at the end of scope.
template <class T>
struct Counted {
    template <class... A>
    explicit Counted(A&&... args) : p(new T(std::forward<A>(args)...)) {
        p->AddRef();
    }
    ~Counted() { p->Release(); }
    Counted(const Counted&) = delete;
    Counted& operator=(const Counted&) = delete;
    T* operator->() const { return p; }
    T* get() const { return p; }
    T* p;
};

}  // namespace scene_test
