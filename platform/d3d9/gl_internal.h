// What the effect runtime and the other D3DX objects need from the device to
// draw with their own GLSL programs, and the error log they share with it.
// Platform-internal: the engine never includes this header.
//
// Vertex inputs: the device binds each element of the current declaration (or
// FVF) at each draw to the attribute location of its usage below (usage index
// 0 only, TEXCOORD 0..7); a D3DCOLOR element arrives as normalised .rgba in the
// right order. A shader declares `layout(location = ORV_TEXCOORD0) in vec2 uv;`.
//
// Built-in uniforms the device uploads to the current program at every draw
// (declared by the preludes; a shader reads them, never sets them):
//   vec2  orv_ViewportSize   viewport width and height in pixels
//   int   orv_FogEnable      D3DRS_FOGENABLE
//   vec4  orv_FogColor       D3DRS_FOGCOLOR as r, g, b, a in 0..1
//   int   orv_FogTableMode   D3DRS_FOGTABLEMODE (D3DFOG_*)
//   int   orv_FogVertexMode  D3DRS_FOGVERTEXMODE (D3DFOG_*)
//   vec3  orv_FogParams      D3DRS_FOGSTART, D3DRS_FOGEND, D3DRS_FOGDENSITY
//   int   orv_AlphaFunc      D3DRS_ALPHAFUNC (D3DCMP_*), 0 while alpha test is off
//   float orv_AlphaRef       D3DRS_ALPHAREF / 255
//
// Helper functions:
//   vertex:   vec4 orv_ToClip(vec4 clipPos)
//     Turns a Direct3D clip-space position into GL's: Direct3D 9 puts pixel
//     centres on integer screen coordinates, OpenGL half a pixel further, so
//     the position moves by half a pixel; and y is turned over, because every
//     surface keeps the top of the picture in its first row. The same geometry
//     then covers the same pixels and lands the same way up. Every vertex
//     shader writes gl_Position = orv_ToClip(<its clip-space position>); a
//     shader that does not draws upside down. gl_FragCoord.y counts rows from
//     the top.
//   fragment: vec4 orv_ApplyFog(vec4 color, float fogCoord)
//     What Direct3D 9 does after the pixel shader: fog, then the alpha test
//     (discard). Every fragment shader passes its final colour through it.
//     fogCoord is the fog value the vertex stage computes (what an HLSL vertex
//     shader writes to its FOG output): the fog factor, 1 = no fog, 0 = all
//     fog colour, clamped to 0..1. Under a table (pixel) fog mode the factor
//     comes from the pixel's view depth and fogCoord is not used, as in
//     Direct3D 9. Alpha is left as it is. With fog off only the alpha test runs.
#pragma once
#include <cstdarg>
#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/d3d9/d3d9.h"

namespace orv::d3d9 {

// GLSL put in front of every vertex / fragment shader the effect runtime
// compiles; it starts with "#version 330 core".
const char* VertexPrelude();
const char* FragmentPrelude();

enum class GlslStage { Vertex, Fragment };

// Compiles one stage: the stage's prelude, a line break, then `sources` in
// order. Answers the shader object, or 0 with the compiler's log in
// *errorLog (which may be null).
unsigned CompileShader(GlslStage stage, std::initializer_list<const char*> sources, std::string* errorLog);

// Links a vertex and a fragment shader; the shaders stay the caller's.
// Answers the program, or 0 with the linker's log in *errorLog.
unsigned LinkProgram(unsigned vertexShader, unsigned fragmentShader, std::string* errorLog);

// A whole program from one vertex and one fragment source, each put after its
// prelude. Answers the program, or 0 with "compiling failed: <log>" or
// "linking failed: <log>" in *errorLog.
unsigned CompileProgram(const char* vertexSource, const char* fragmentSource, std::string* errorLog);

// Makes `program` the one the next draws of `device` use; 0 returns to the
// device's own program. The effect runtime binds it itself to set its uniforms;
// the device binds it again at each draw.
void UseProgram(IDirect3DDevice9* device, unsigned program);

// The GL texture object (GL_TEXTURE_2D) behind a texture; 0 for null or for a
// texture that lives only in system memory.
unsigned TextureName(IDirect3DBaseTexture9* texture);

// Writes one line "<source>: <text>" to the debug output: the error log of
// the device and of the D3DX functions.
void LogLine(const char* source, std::string_view text);
// The same with printf-style text.
void LogLineV(const char* source, const char* format, va_list args) __attribute__((format(printf, 2, 0)));

}  // namespace orv::d3d9

// Attribute locations (also defined as macros inside the preludes).
#define ORV_POSITION 0
#define ORV_BLENDWEIGHT 1
#define ORV_BLENDINDICES 2
#define ORV_NORMAL 3
#define ORV_TEXCOORD0 4
#define ORV_COLOR0 12
#define ORV_COLOR1 13
#define ORV_TANGENT 14
#define ORV_BINORMAL 15
