// The player's machine in flight: once per game frame the flight step turns the pitch
// and turn inputs and the pedal counts into speed, a target attitude, a new position and
// the displayed attitude, taking in the probe contacts the collision step left last
// frame; the position clamp then keeps the machine inside the course, and the pedal
// drive turns the propeller and the rider's crank. All state is in work RAM
// (game/services/flight_ram.h); the only ROM table read is the sine table.
//
// Arithmetic wraps in 32 bits as on the 68020; shifts are arithmetic, and a shift by 32
// or more gives the sign fill.
#pragma once

// The world step of the gameplay tick and the demo frames: flight step, position clamp,
// pedal drive, in this order.
void player_bounds_check();

// The flight step; ends with the host's replay hook.
void player_flight_step();

// The course bounds: course 3's box, and the ceiling of every course. With collision
// off only course 3 is clamped (its box and floor).
void player_position_clamp();

// Propeller drive and angle, crank angle and crank frame from the pedal counts.
void player_pedal_drive();

// At course start, after the player has been placed: speed 3072, targets and eased
// attitude = the current attitude, and the whole flight and look-ahead state
// (W 0x12C0-0x12F4) cleared.
void player_flight_init();
