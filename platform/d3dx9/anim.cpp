// Keyframed animation sets and the animation controller.
#include "platform/d3dx9/anim.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform/d3dx9/effect_refcounted.h"

namespace {

struct Animation {
    std::string name;
    std::vector<D3DXKEY_VECTOR3> scale;
    std::vector<D3DXKEY_QUATERNION> rotation;
    std::vector<D3DXKEY_VECTOR3> translation;
};

bool Finite(const D3DXVECTOR3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }
bool Finite(const D3DXQUATERNION& q) {
    return std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z) && std::isfinite(q.w);
}

template <class Key>
bool ValidKeys(const Key* keys, UINT count) {
    if (count && !keys) return false;
    for (UINT i = 0; i < count; ++i) {
        if (!std::isfinite(keys[i].Time) || !Finite(keys[i].Value)) return false;
        if (i && keys[i].Time < keys[i - 1].Time) return false;
    }
    return true;
}

// The two keys around `ticks` and the fraction between them.
template <class Key>
const Key* Bracket(const std::vector<Key>& keys, double ticks, const Key*& next, float& t) {
    next = nullptr;
    t = 0.0f;
    if (keys.empty()) return nullptr;
    if (ticks <= keys.front().Time) return &keys.front();
    if (ticks >= keys.back().Time) return &keys.back();
    auto it = std::upper_bound(keys.begin(), keys.end(), ticks,
                               [](double value, const Key& key) { return value < key.Time; });
    const Key* b = &*it;
    const Key* a = b - 1;
    const double span = double(b->Time) - double(a->Time);
    next = b;
    t = span > 0 ? static_cast<float>((ticks - a->Time) / span) : 0.0f;
    return a;
}

class KeyframedSet final : public orv::d3dx9::RefCounted<ID3DXKeyframedAnimationSet> {
public:
    KeyframedSet(const char* name, double ticksPerSecond, D3DXPLAYBACK_TYPE playback)
        : name_(name ? name : ""), ticksPerSecond_(ticksPerSecond), playback_(playback) {}

    LPCSTR STDMETHODCALLTYPE GetName() override { return name_.c_str(); }
    DOUBLE STDMETHODCALLTYPE GetPeriod() override {
        double last = 0;
        for (const Animation& a : animations_) {
            if (!a.scale.empty()) last = std::max(last, double(a.scale.back().Time));
            if (!a.rotation.empty()) last = std::max(last, double(a.rotation.back().Time));
            if (!a.translation.empty()) last = std::max(last, double(a.translation.back().Time));
        }
        return last / ticksPerSecond_;
    }
    DOUBLE STDMETHODCALLTYPE GetPeriodicPosition(DOUBLE position) override {
        const double period = GetPeriod();
        if (!(period > 0) || !std::isfinite(position)) return 0;
        switch (playback_) {
        case D3DXPLAY_ONCE: return std::clamp(position, 0.0, period);
        case D3DXPLAY_PINGPONG: {
            double p = std::fmod(position, 2 * period);
            if (p < 0) p += 2 * period;
            return p <= period ? p : 2 * period - p;
        }
        default: {
            double p = std::fmod(position, period);
            if (p < 0) p += period;
            return p;
        }
        }
    }
    UINT STDMETHODCALLTYPE GetNumAnimations() override { return static_cast<UINT>(animations_.size()); }
    HRESULT STDMETHODCALLTYPE GetAnimationNameByIndex(UINT index, LPCSTR* name) override {
        if (!name || index >= animations_.size()) return D3DERR_INVALIDCALL;
        *name = animations_[index].name.c_str();
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE GetAnimationIndexByName(LPCSTR name, UINT* index) override {
        if (!name || !index) return D3DERR_INVALIDCALL;
        for (size_t i = 0; i < animations_.size(); ++i)
            if (animations_[i].name == name) {
                *index = static_cast<UINT>(i);
                return D3D_OK;
            }
        return D3DERR_NOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE GetSRT(DOUBLE position, UINT index, D3DXVECTOR3* scale, D3DXQUATERNION* rotation,
                                     D3DXVECTOR3* translation) override {
        if (index >= animations_.size()) return D3DERR_INVALIDCALL;
        const Animation& a = animations_[index];
        const double ticks = position * ticksPerSecond_;
        float t;
        if (scale) {
            const D3DXKEY_VECTOR3* next;
            const D3DXKEY_VECTOR3* k = Bracket(a.scale, ticks, next, t);
            *scale = !k ? D3DXVECTOR3(1, 1, 1) : next ? k->Value + (next->Value - k->Value) * t : k->Value;
        }
        if (rotation) {
            const D3DXKEY_QUATERNION* next;
            const D3DXKEY_QUATERNION* k = Bracket(a.rotation, ticks, next, t);
            if (!k) D3DXQuaternionIdentity(rotation);
            else if (next) D3DXQuaternionSlerp(rotation, &k->Value, &next->Value, t);
            else *rotation = k->Value;
        }
        if (translation) {
            const D3DXKEY_VECTOR3* next;
            const D3DXKEY_VECTOR3* k = Bracket(a.translation, ticks, next, t);
            *translation = !k ? D3DXVECTOR3(0, 0, 0) : next ? k->Value + (next->Value - k->Value) * t : k->Value;
        }
        return D3D_OK;
    }

    D3DXPLAYBACK_TYPE STDMETHODCALLTYPE GetPlaybackType() override { return playback_; }
    DOUBLE STDMETHODCALLTYPE GetSourceTicksPerSecond() override { return ticksPerSecond_; }
    UINT STDMETHODCALLTYPE GetNumScaleKeys(UINT i) override { return Count(i, &Animation::scale); }
    HRESULT STDMETHODCALLTYPE GetScaleKeys(UINT i, LPD3DXKEY_VECTOR3 keys) override {
        return Copy(i, &Animation::scale, keys);
    }
    UINT STDMETHODCALLTYPE GetNumRotationKeys(UINT i) override { return Count(i, &Animation::rotation); }
    HRESULT STDMETHODCALLTYPE GetRotationKeys(UINT i, LPD3DXKEY_QUATERNION keys) override {
        return Copy(i, &Animation::rotation, keys);
    }
    UINT STDMETHODCALLTYPE GetNumTranslationKeys(UINT i) override { return Count(i, &Animation::translation); }
    HRESULT STDMETHODCALLTYPE GetTranslationKeys(UINT i, LPD3DXKEY_VECTOR3 keys) override {
        return Copy(i, &Animation::translation, keys);
    }
    HRESULT STDMETHODCALLTYPE RegisterAnimationSRTKeys(LPCSTR name, UINT numScale, UINT numRotation,
                                                       UINT numTranslation, const D3DXKEY_VECTOR3* scale,
                                                       const D3DXKEY_QUATERNION* rotation,
                                                       const D3DXKEY_VECTOR3* translation, DWORD* index) override {
        if (!name || !ValidKeys(scale, numScale) || !ValidKeys(rotation, numRotation) ||
            !ValidKeys(translation, numTranslation))
            return D3DERR_INVALIDCALL;
        try {
            Animation a;
            a.name = name;
            a.scale.assign(scale, scale + numScale);
            a.rotation.assign(rotation, rotation + numRotation);
            for (D3DXKEY_QUATERNION& k : a.rotation) D3DXQuaternionNormalize(&k.Value, &k.Value);
            a.translation.assign(translation, translation + numTranslation);
            UINT at = 0;
            if (SUCCEEDED(GetAnimationIndexByName(name, &at))) {
                animations_[at] = std::move(a);
            } else {
                at = static_cast<UINT>(animations_.size());
                animations_.push_back(std::move(a));
            }
            if (index) *index = at;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        return D3D_OK;
    }

private:
    template <class Key>
    UINT Count(UINT i, std::vector<Key> Animation::*member) {
        return i < animations_.size() ? static_cast<UINT>((animations_[i].*member).size()) : 0;
    }
    template <class Key>
    HRESULT Copy(UINT i, std::vector<Key> Animation::*member, Key* keys) {
        if (i >= animations_.size() || !keys) return D3DERR_INVALIDCALL;
        const auto& v = animations_[i].*member;
        std::copy(v.begin(), v.end(), keys);
        return D3D_OK;
    }

    std::string name_;
    double ticksPerSecond_;
    D3DXPLAYBACK_TYPE playback_;
    std::vector<Animation> animations_;
};

struct Output {
    std::string name;
    D3DXMATRIX* matrix;
    D3DXVECTOR3* scale;
    D3DXQUATERNION* rotation;
    D3DXVECTOR3* translation;
};

struct Track {
    ID3DXAnimationSet* set = nullptr;  // counted
    D3DXTRACK_DESC desc{D3DXPRIORITY_LOW, 1.0f, 1.0f, 0.0, FALSE};
};

class Controller final : public orv::d3dx9::RefCounted<ID3DXAnimationController> {
public:
    Controller(UINT maxOutputs, UINT maxSets, UINT maxTracks, UINT maxEvents)
        : maxOutputs_(maxOutputs), maxSets_(maxSets), maxEvents_(maxEvents), tracks_(maxTracks) {}
    ~Controller() override {
        for (Track& t : tracks_)
            if (t.set) t.set->Release();
        for (ID3DXAnimationSet* s : sets_) s->Release();
    }

    UINT STDMETHODCALLTYPE GetMaxNumAnimationOutputs() override { return maxOutputs_; }
    UINT STDMETHODCALLTYPE GetMaxNumAnimationSets() override { return maxSets_; }
    UINT STDMETHODCALLTYPE GetMaxNumTracks() override { return static_cast<UINT>(tracks_.size()); }
    UINT STDMETHODCALLTYPE GetMaxNumEvents() override { return maxEvents_; }

    HRESULT STDMETHODCALLTYPE RegisterAnimationOutput(LPCSTR name, D3DXMATRIX* matrix, D3DXVECTOR3* scale,
                                                      D3DXQUATERNION* rotation, D3DXVECTOR3* translation) override {
        if (!name) return D3DERR_INVALIDCALL;
        for (Output& o : outputs_)
            if (o.name == name) {
                o = {name, matrix, scale, rotation, translation};
                return D3D_OK;
            }
        if (outputs_.size() >= maxOutputs_) return D3DERR_INVALIDCALL;
        outputs_.push_back({name, matrix, scale, rotation, translation});
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE RegisterAnimationSet(LPD3DXANIMATIONSET set) override {
        if (!set || std::find(sets_.begin(), sets_.end(), set) != sets_.end() || sets_.size() >= maxSets_)
            return D3DERR_INVALIDCALL;
        sets_.push_back(set);
        set->AddRef();
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE UnregisterAnimationSet(LPD3DXANIMATIONSET set) override {
        auto it = std::find(sets_.begin(), sets_.end(), set);
        if (!set || it == sets_.end()) return D3DERR_INVALIDCALL;
        for (Track& t : tracks_)
            if (t.set == set) {
                t.set->Release();
                t.set = nullptr;
            }
        sets_.erase(it);
        set->Release();
        return D3D_OK;
    }
    UINT STDMETHODCALLTYPE GetNumAnimationSets() override { return static_cast<UINT>(sets_.size()); }
    HRESULT STDMETHODCALLTYPE GetAnimationSet(UINT index, LPD3DXANIMATIONSET* set) override {
        if (!set) return D3DERR_INVALIDCALL;
        *set = nullptr;
        if (index >= sets_.size()) return D3DERR_INVALIDCALL;
        *set = sets_[index];
        (*set)->AddRef();
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE GetAnimationSetByName(LPCSTR name, LPD3DXANIMATIONSET* set) override {
        if (!set) return D3DERR_INVALIDCALL;
        *set = nullptr;
        if (!name) return D3DERR_INVALIDCALL;
        for (ID3DXAnimationSet* s : sets_)
            if (std::strcmp(s->GetName(), name) == 0) {
                *set = s;
                s->AddRef();
                return D3D_OK;
            }
        return D3DERR_NOTFOUND;
    }

    HRESULT STDMETHODCALLTYPE AdvanceTime(DOUBLE delta, LPD3DXANIMATIONCALLBACKHANDLER) override {
        if (!std::isfinite(delta)) return D3DERR_INVALIDCALL;
        time_ += delta;
        for (Track& t : tracks_)
            if (t.desc.Enable) t.desc.Position += delta * t.desc.Speed;
        WriteOutputs();
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE ResetTime() override {
        time_ = 0;
        return D3D_OK;
    }
    DOUBLE STDMETHODCALLTYPE GetTime() override { return time_; }

    HRESULT STDMETHODCALLTYPE SetTrackAnimationSet(UINT track, LPD3DXANIMATIONSET set) override {
        if (track >= tracks_.size()) return D3DERR_INVALIDCALL;
        if (set) set->AddRef();
        if (tracks_[track].set) tracks_[track].set->Release();
        tracks_[track].set = set;
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTrackAnimationSet(UINT track, LPD3DXANIMATIONSET* set) override {
        if (!set || track >= tracks_.size()) return D3DERR_INVALIDCALL;
        *set = tracks_[track].set;
        if (*set) (*set)->AddRef();
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE SetTrackPriority(UINT track, D3DXPRIORITY_TYPE priority) override {
        return Change(track, [&](D3DXTRACK_DESC& d) { d.Priority = priority; });
    }
    HRESULT STDMETHODCALLTYPE SetTrackSpeed(UINT track, FLOAT speed) override {
        return Change(track, [&](D3DXTRACK_DESC& d) { d.Speed = speed; });
    }
    HRESULT STDMETHODCALLTYPE SetTrackWeight(UINT track, FLOAT weight) override {
        return Change(track, [&](D3DXTRACK_DESC& d) { d.Weight = weight; });
    }
    HRESULT STDMETHODCALLTYPE SetTrackPosition(UINT track, DOUBLE position) override {
        return Change(track, [&](D3DXTRACK_DESC& d) { d.Position = position; });
    }
    HRESULT STDMETHODCALLTYPE SetTrackEnable(UINT track, BOOL enable) override {
        return Change(track, [&](D3DXTRACK_DESC& d) { d.Enable = enable ? TRUE : FALSE; });
    }
    HRESULT STDMETHODCALLTYPE SetTrackDesc(UINT track, LPD3DXTRACK_DESC desc) override {
        if (!desc) return D3DERR_INVALIDCALL;
        return Change(track, [&](D3DXTRACK_DESC& d) { d = *desc; });
    }
    HRESULT STDMETHODCALLTYPE GetTrackDesc(UINT track, LPD3DXTRACK_DESC desc) override {
        if (!desc || track >= tracks_.size()) return D3DERR_INVALIDCALL;
        *desc = tracks_[track].desc;
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE SetPriorityBlend(FLOAT blend) override {
        priorityBlend_ = blend;
        return D3D_OK;
    }
    FLOAT STDMETHODCALLTYPE GetPriorityBlend() override { return priorityBlend_; }

    HRESULT STDMETHODCALLTYPE CloneAnimationController(UINT maxOutputs, UINT maxSets, UINT maxTracks,
                                                       UINT maxEvents, LPD3DXANIMATIONCONTROLLER* clone) override {
        if (!clone) return D3DERR_INVALIDCALL;
        *clone = nullptr;
        if (maxOutputs < outputs_.size() || maxSets < sets_.size() || maxTracks == 0) return D3DERR_INVALIDCALL;
        Controller* copy;
        try {
            copy = new Controller(maxOutputs, maxSets, maxTracks, maxEvents);
            copy->outputs_ = outputs_;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        for (ID3DXAnimationSet* s : sets_) copy->RegisterAnimationSet(s);
        for (UINT i = 0; i < maxTracks && i < tracks_.size(); ++i) {
            copy->SetTrackAnimationSet(i, tracks_[i].set);
            copy->tracks_[i].desc = tracks_[i].desc;
        }
        copy->time_ = time_;
        copy->priorityBlend_ = priorityBlend_;
        *clone = copy;
        return D3D_OK;
    }

private:
    template <class F>
    HRESULT Change(UINT track, F change) {
        if (track >= tracks_.size()) return D3DERR_INVALIDCALL;
        change(tracks_[track].desc);
        return D3D_OK;
    }

    void WriteOutputs() {
        for (Output& o : outputs_) {
            float total = 0.0f;
            D3DXVECTOR3 scale(0, 0, 0), translation(0, 0, 0);
            D3DXQUATERNION rotation(0, 0, 0, 1);
            for (Track& t : tracks_) {
                UINT index;
                if (!t.desc.Enable || !t.set || !(t.desc.Weight > 0.0f) ||
                    FAILED(t.set->GetAnimationIndexByName(o.name.c_str(), &index)))
                    continue;
                D3DXVECTOR3 s, p;
                D3DXQUATERNION q;
                t.set->GetSRT(t.set->GetPeriodicPosition(t.desc.Position), index, &s, &q, &p);
                const float w = t.desc.Weight;
                total += w;
                scale += s * w;
                translation += p * w;
                // Running spherical blend: exact for two tracks, order-stable for more.
                if (total == w) rotation = q;
                else D3DXQuaternionSlerp(&rotation, &rotation, &q, w / total);
            }
            if (!(total > 0.0f)) continue;
            scale /= total;
            translation /= total;
            if (o.matrix) {
                D3DXMATRIX s, r;
                D3DXMatrixScaling(&s, scale.x, scale.y, scale.z);
                D3DXMatrixRotationQuaternion(&r, &rotation);
                *o.matrix = s * r;
                o.matrix->_41 = translation.x;
                o.matrix->_42 = translation.y;
                o.matrix->_43 = translation.z;
            }
            if (o.scale) *o.scale = scale;
            if (o.rotation) *o.rotation = rotation;
            if (o.translation) *o.translation = translation;
        }
    }

    UINT maxOutputs_, maxSets_, maxEvents_;
    std::vector<Output> outputs_;
    std::vector<ID3DXAnimationSet*> sets_;  // counted
    std::vector<Track> tracks_;
    double time_ = 0;
    float priorityBlend_ = 0;
};

}  // namespace

HRESULT WINAPI D3DXCreateAnimationController(UINT MaxNumMatrices, UINT MaxNumAnimationSets, UINT MaxNumTracks,
                                             UINT MaxNumEvents, LPD3DXANIMATIONCONTROLLER* ppAnimController) {
    if (!ppAnimController) return D3DERR_INVALIDCALL;
    *ppAnimController = nullptr;
    if (MaxNumTracks == 0) return D3DERR_INVALIDCALL;
    try {
        *ppAnimController = new Controller(MaxNumMatrices, MaxNumAnimationSets, MaxNumTracks, MaxNumEvents);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return D3D_OK;
}

HRESULT WINAPI D3DXCreateKeyframedAnimationSet(LPCSTR pName, DOUBLE TicksPerSecond, D3DXPLAYBACK_TYPE Playback,
                                               UINT, UINT NumCallbackKeys, const void*,
                                               LPD3DXKEYFRAMEDANIMATIONSET* ppAnimationSet) {
    if (!ppAnimationSet) return D3DERR_INVALIDCALL;
    *ppAnimationSet = nullptr;
    if (!pName || !(TicksPerSecond > 0) || !std::isfinite(TicksPerSecond) || NumCallbackKeys != 0)
        return D3DERR_INVALIDCALL;
    try {
        *ppAnimationSet = new KeyframedSet(pName, TicksPerSecond, Playback);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return D3D_OK;
}
