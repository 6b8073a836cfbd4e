// The game's flow around the top states: the test and service switches, coins and
// credits turned into a game start, and the reset request.
#pragma once
#include <cstdint>

// Outside game_state 7: the service button newly pressed in state 1 enters the service
// mode with the service entry flag 1; else the test switch held enters it with 0.
void test_switch_check();
// Armed flag, coin counter and coin word 0; the credit prompt's row 22.
void coin_state_reset();
// Per frame after the state dispatch, in every state but 4-7: the start button and the
// coin switches turned into a game start or the title, and the credit prompt's blink.
void coin_credit_update();
// Asks for a restart with the settings kept (reset_pending); the service mode calls it
// when it is left.
void service_flag_set();
