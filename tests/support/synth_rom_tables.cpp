#include "tests/support/synth_rom_tables.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

void synth_put8(synth_rom_set* set, uint32_t addr, uint8_t v) {
    if (addr >= sizeof set->program) {
        fprintf(stderr, "synth_rom: table write at 0x%X outside the program ROM\n", addr);
        abort();
    }
    set->program[addr] = v;
}

void synth_put16(synth_rom_set* set, uint32_t addr, uint16_t v) {
    synth_put8(set, addr, uint8_t(v >> 8));
    synth_put8(set, addr + 1, uint8_t(v));
}

void synth_put32(synth_rom_set* set, uint32_t addr, uint32_t v) {
    synth_put16(set, addr, uint16_t(v >> 16));
    synth_put16(set, addr + 2, uint16_t(v));
}

void synth_put32s(synth_rom_set* set, uint32_t addr, const int32_t* values, uint32_t count) {
    for (uint32_t k = 0; k < count; k++) synth_put32(set, addr + 4 * k, uint32_t(values[k]));
}

void synth_put32s(synth_rom_set* set, uint32_t addr, std::initializer_list<int32_t> values) {
    synth_put32s(set, addr, values.begin(), uint32_t(values.size()));
}

void synth_put_string(synth_rom_set* set, uint32_t addr, const char* text) {
    for (size_t i = 0; i <= strlen(text); i++) synth_put8(set, addr + uint32_t(i), uint8_t(text[i]));
}

void synth_reset_vector(synth_rom_set* set) {
    synth_put32(set, 0, SYNTH_RESET_SP);
    synth_put32(set, 4, SYNTH_RESET_PC);
}

void synth_rom_tables_write(synth_rom_set* set) {
    synth_reset_vector(set);
    synth_sine_table(set);
    synth_atan_table(set);
    synth_atan_coarse_table(set);
    synth_slope_table(set);
    synth_curve_square_table(set);
    synth_curve_cube_table(set);
    synth_block_param_masks(set);
    synth_static_palette(set);
    synth_palette_override(set);
    synth_event_records(set);
    synth_wave_tone(set);
    synth_sound_driver(set);
    synth_sound_table(set);
    synth_course_sound_ids(set);
    synth_param_reset_list(set);
    synth_indexed_sound_ids(set);
    synth_course_slot_lists(set);
    synth_stem_targets(set);
    synth_attract_sound_phases(set);
    synth_sound_point_list(set);
    synth_sound_points(set);
    synth_models(set);
    synth_terrain_chunks(set);
    synth_sprite_tile_table_1(set);
    synth_sprite_tile_table_2(set);
    synth_sprite_tile_table_3(set);
    synth_sprite_size_multipliers(set);
    synth_sprite_disc_tiles(set);
    synth_sprite_panel_tile(set);
    synth_default_initials(set);
    synth_settings_defaults(set);
    synth_switch_ports(set);
    synth_block_tiles(set);
    synth_block_table(set);
    synth_message_blocks(set);
    synth_lamp_patterns(set);
    synth_lamp_label(set);
    synth_test_strings(set);
    synth_title_prompt_text(set);
    synth_colour_ramp(set);
    synth_group127_triples(set);
    synth_group_colours(set);
    synth_cz_tables(set);
    synth_cgram_init(set);
    synth_colour_sets(set);
    synth_fog_records(set);
    synth_height_bias(set);
    synth_area_entries(set);
    synth_cell_areas(set);
    synth_boot_text_list(set);
    synth_title_text_registers(set);
    synth_title_tiles(set);
    synth_title_palette(set);
    synth_object_records(set);
    synth_segment_models(set);
    synth_submodel_offsets(set);
    synth_submodel_sizes(set);
    synth_train_records(set);
    synth_chain_tilts(set);
    synth_chain_turns(set);
    synth_radial_tilts(set);
    synth_backdrop_models(set);
    synth_range_records(set);
    synth_prop_animation_words(set);
    synth_course2_hooks(set);
    synth_letter_models(set);
    synth_ending_list(set);
    synth_backdrop_records(set);
    synth_menu_lists(set);
    synth_terrain_layer_counts(set);
    synth_terrain_layer_masks(set);
    synth_terrain_geometry(set);
    synth_terrain_slopes(set);
    synth_slope_values(set);
    synth_shear_table(set);
    synth_seed_offsets(set);
    synth_terrain_zones(set);
    synth_dynamic_zone_sizes(set);
    synth_lookahead_steps(set);
    synth_chunk_lists(set);
    synth_chunk_masks(set);
    synth_course3_prop_models(set);
    synth_course3_prop_positions(set);
    synth_balloon_draw_lists(set);
    synth_balloon_hit_lists(set);
    synth_balloon_records(set);
    synth_moving_balloon_lists(set);
    synth_moving_balloon_records(set);
    synth_balloon_numbers(set);
    synth_balloon_targets(set);
    synth_balloon_first_numbers(set);
    synth_balloon_model_rows(set);
    synth_moving_balloon_models(set);
    synth_balloon_layout_counts(set);
    synth_balloon_sparkles(set);
    synth_dsp_program(set);
    synth_rig_lists(set);
    synth_rig_second_list(set);
    synth_rig_set_masks(set);
    synth_rig_angle_base(set);
    synth_keyframes(set);
    synth_leg_constants(set);
    synth_second_model(set);
    synth_node_list(set);
    synth_demo_table(set);
    synth_service_texts(set);
    synth_settings_header(set);
    synth_time_radices(set);
    synth_main_menu(set);
    synth_coin_lists(set);
    synth_game_lists(set);
    synth_io_menus(set);
    synth_pattern_menu(set);
    synth_sound_lists(set);
    synth_bookkeeping_lists(set);
    synth_board_menus(set);
    synth_handle_lists(set);
    synth_credit_colours(set);
    synth_pattern_lists(set);
    synth_course_starts(set);
    synth_course_seconds_table(set);
    synth_stage_seconds_table(set);
    synth_viewer_start(set);
    synth_viewer_strings(set);
    synth_flyin_nodes(set);
    synth_flyin_eyes(set);
    synth_flyin_approach(set);
    synth_flyin_objects(set);
    synth_select_blocks(set);
    synth_mode_pointer(set);
    synth_course_map_frames(set);
    synth_handle_hint_tiles(set);
    synth_intro_starts(set);
    synth_intro_texts(set);
    synth_day_cards(set);
    synth_object_scripts(set);
    synth_spawn_records(set);
    synth_course_objects(set);
    synth_chunk_spawns(set);
    synth_tier_tables(set);
    synth_scenery_records(set);
    synth_scenery_frame_tables(set);
    synth_effect_records(set);
    synth_figure_models(set);
    synth_ending_phase_ends(set);
    synth_ending_roll(set);
    synth_ending_scene_lists(set);
    synth_ending_crew_steps(set);
    synth_ending_crew_scenes(set);
    synth_ending_landing(set);
    synth_ending_free_camera(set);
    synth_ending_portrait(set);
    synth_ending_bad(set);
    synth_ending_flights(set);
    synth_inter_days(set);
    synth_inter_sets(set);
    synth_inter_raw_sounds(set);
    synth_inter_sound_scripts(set);
    synth_inter_text_scripts(set);
    synth_inter_tiles(set);
    synth_particle_types(set);
    synth_arrow_grid(set);
    synth_message_showings(set);
    synth_map_records(set);
    synth_blink_tiles(set);
    synth_score_digit_models(set);
    synth_hud_blocks(set);
    synth_attract_scene_list(set);
    synth_attract_demo_tables(set);
    synth_course_demo_tables(set);
    synth_reveal_masks(set);
    synth_replay_tables(set);
    synth_replay_marker_bytes(set);
    synth_demo_closing_text(set);
    synth_attract_blocks(set);
    synth_grade_thresholds(set);
    synth_needle_targets(set);
    synth_final_texts(set);
    synth_results_map_frames(set);
    synth_continue_times(set);
    synth_cycle_entry(set);
    synth_results_blocks(set);
    synth_screen_sprite_tiles(set);
    synth_rom_check_sums(set);  // last: the point ROM is complete
}
