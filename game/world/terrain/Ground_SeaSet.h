// The sea surface: the terrain areas register water rectangles while they
// exist, and every frame the sea turns all of them into one triangle list
// drawn in one call with the "WideWater" shader.
#pragma once
#include <mutex>
#include <set>
#include <vector>

#include "engine/assets/Primitive.h"
#include "engine/core/AreaPos.h"
#include "engine/core/ReferCounter.h"
#include "game/world/Object3D.h"

class GroundGenerator;

namespace Quorvex {
class Shader_WideWater;
}

struct Ground_SeaSet {
    // One water rectangle: its corner and its extent along x and z. Only the
    // corner's cells place it; the offsets inside the cells are not used.
    class WaterParamUnit : public IUnknown, public Quorvex::ReferCounter {
    public:
        WaterParamUnit(const Quorvex::AreaPos& position, float width, float depth);
        ~WaterParamUnit() override = default;

        QUORVEX_IUNKNOWN_BY_REFER_COUNTER

        Quorvex::AreaPos position;
        float width = 0.0f;
        float depth = 0.0f;
    };

    // Position, normal (0, 1, 0), tangent (1, 0, 0), texture pair.
    struct WaterVertex {
        float x, y, z;
        float nx, ny, nz;
        float tx, ty, tz;
        float u, v;
    };
    static_assert(sizeof(WaterVertex) == 44);
    static constexpr int VerticesPerRectangle = 6;
    static constexpr int BytesPerRectangle = VerticesPerRectangle * static_cast<int>(sizeof(WaterVertex));

    class Ground_Sea : public Object3D {
    public:
        Ground_Sea(GroundGenerator* owner, const Quorvex::AreaPos& position, Quorvex::IObjectManager* objectManager,
                   Quorvex::IAreaManager* areaManager);
        // Removes every rectangle and releases the shader, the normal map and
        // the vertex buffer.
        ~Ground_Sea() override;

        // The most rectangles the sea takes: 0, -1 without the "WideWater"
        // shader, or the failing loader's or device's error.
        int Initialize(int capacity) override;
        void Update(float timeStep) override;
        void Render(Quorvex::CalcVertexSet* list) override;
        void Draw() override;

        // The uploaded triangle list, drawn by the shader through the surface.
        void DrawSubset(int subset);

        // Inserts the unit with one reference while the sea holds fewer than
        // its capacity: true; false when it is full (nothing is taken).
        bool AddWaterParam(WaterParamUnit* unit);
        // Releases and erases the unit when the sea holds it.
        void RemoveWaterParam(WaterParamUnit* unit);
        // Moves every rectangle's position (offsets added and normalised).
        void ShiftWaterParams(const D3DXVECTOR3& shift);
        int GetWaterParamCount() const;
        int GetCapacity() const { return m_capacity; }

        // The level the stage scripts set; the surface is rebuilt every frame
        // anyway, so a stored level needs nothing more.
        void SetLevel(float level) { m_level = level; }
        float GetLevel() const { return m_level; }

        float GetTime() const { return m_time; }
        // The wave time after dt more seconds: it stays in [500, 1500).
        static float AdvanceTime(float time, float timeStep);
        // Six vertices per rectangle at its cells relative to the centre cell,
        // plus the world offset.
        static void BuildVertices(const std::set<WaterParamUnit*>& units, const D3DXVECTOR3& worldOffset,
                                  std::vector<WaterVertex>& out);

    private:
        // What the shader draws: the sea's triangle list, with the engine's
        // defaults for everything else. Owned by the sea, so not counted.
        class Surface : public Quorvex::PrimitiveBase {
        public:
            explicit Surface(Ground_Sea* sea) : m_pSea(sea) {}
            HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
                if (object) *object = this;
                return S_OK;
            }
            ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
            ULONG STDMETHODCALLTYPE Release() override { return 1; }
            void DrawSubset(int subset) override { m_pSea->DrawSubset(subset); }
            void DrawExtrusionSubset(int) override {}

        private:
            Ground_Sea* m_pSea;
        };

        Surface m_surface{this};
        GroundGenerator* m_pOwner = nullptr;  // not counted
        Quorvex::Shader_WideWater* m_pShader = nullptr;  // counted
        IDirect3DTexture9* m_pNormalMap = nullptr;  // counted
        IUnknown* m_pReserved = nullptr;  // counted; nothing sets it
        float m_time = 0.0f;
        int m_capacity = 0;
        float m_level = 0.0f;
        IDirect3DVertexBuffer9* m_pVertexBuffer = nullptr;  // counted
        // Areas add and remove rectangles while the sea's update walks them.
        mutable std::mutex m_lock;
        std::set<WaterParamUnit*> m_units;  // one reference each
        // Built in Render on a job thread, uploaded in Draw on the main thread
        // (the device belongs to the main thread).
        std::vector<WaterVertex> m_staging;
        int m_stagedRectangles = 0;
        int m_drawnRectangles = 0;  // uploaded by the last Draw
    };

    // Stores the level in the sea of the game's ground generator.
    static void SetLevel(float level);
};
