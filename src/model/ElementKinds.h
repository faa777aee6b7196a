#pragma once
// Every kind of element a stored record may name is made from its kind code
// by CreatePrimitive. The geometry makes its own kinds; the tile placement
// belongs to the model, so the model hands its factory down. Programs, tests,
// benchmarks and tools call this once at start-up, before anything reads a
// record: nothing registers itself on first use.

namespace vk {

void RegisterElementKinds();

} // namespace vk
