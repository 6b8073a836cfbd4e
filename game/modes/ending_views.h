// The ending scenes' shared operations: the camera placed from records of six longs
// (directly, interpolated, or eased behind the ending's model), the timed sway, the
// player reset from the model's pose and one rig step of it, and the fixed backdrop,
// scene packets and circling objects. Record addresses are board addresses in the
// program ROM or in work RAM; work-RAM longs outside the image read 0.
#pragma once
#include <cstdint>

// Camera := the six longs at record; with with_zoom the seventh long's low word is the
// zoom word.
void ending_camera_record_load(uint32_t record, bool with_zoom);
// Camera := a + t x (b - a) / span per long (32-bit, truncating); the zoom likewise.
// Nothing when span is 0.
void ending_camera_interpolate(uint32_t a, uint32_t b, int32_t t, int32_t span, bool with_zoom);
// Eases the camera by >> shift toward the point fixed to the model by the record's
// longs at +0, +4, +8 and the angle at +12; zoom 0x780.
void ending_camera_pose_load(int32_t shift, uint32_t record);
// A sway of `frames` frames from the 24-byte record (three rate, divisor pairs).
void ending_sway_start(uint32_t record, int32_t frames);
// One step of the sway, then the camera's view words (view slot 3).
void ending_camera_sway();

// The player state from the model's pose, 160 off in x and z, animation 0.
void ending_player_from_pose();
// The model's movement turned into pedalling and the rider's inputs.
void ending_rig_distance_update();
// One rig step: the distance update, the player at the pose, the rig solved with the
// ending's IK targets (and the wings during the landing in gameplay).
void ending_model_rig_step();

// The backdrop models 41 and 39 under a 4-word header, the bank closed.
void ending_bank_marker();
// The backdrop models 41, 39 and 43 lower down, the bank closed first.
void ending_model_packet_begin();
// The backdrop, the three scene packet lists at the anchor, then the compound,
// rotating and plain objects on it.
void ending_models_emit(uint32_t anchor, bool clear_header);
// The 11-word entry of scene object i (0..7) circling the anchor; returns the word
// after it.
int32_t* ending_object_transform(int32_t i, uint32_t anchor, int32_t radius, int32_t angle, int32_t spin,
                                 int32_t* out);

// SKYVOLTA_BADDUMP = "dir:k1,k2,...": on each listed local frame k of the bad ending,
// the DSP RAM image into dir/ours_k<k>.bin and the camera, player and pose logged.
void ending_badcam_dump(int32_t k);
