; The cloud slices' vertex shader (assembled into resources/Cloud.vso by vsasm.py).
; Constants: c0-c3 the transposed world-view-projection, c4-c7 the transposed world-view (its
; rows turn a normal into view space), c8 the cloud's stretch (1, scale1, scale2, 1).
; A slice fades with |view-space z of its normal|: facing the camera it is opaque, edge-on it
; disappears.
vs_1_1
dcl_position v0
dcl_normal v1
dcl_texcoord v2
def c9, 0, 0, 1, 0
mul r0, v0, c8           ; stretch the cube along y and z
m4x4 oPos, r0, c0
m3x3 r0.xyz, v1, c4      ; the normal in view space
dp4 r0.w, r0, c9         ; its z
max oD0, r0.w, -r0.w     ; |z| for all four components
mov oT0, v2
