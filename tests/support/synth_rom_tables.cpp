#include "tests/support/synth_rom_tables.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// While synth_rom_table_ranges runs: the ranges so far and the writer that is running.
std::vector<synth_rom_range>* recorded_ranges = nullptr;
const char* running_writer = "";
const char* entry_table = nullptr;  // see synth_rom_entries_of

}  // namespace

void synth_rom_range_note(uint32_t addr, uint32_t length) {
    if (!recorded_ranges) return;
    if (!recorded_ranges->empty()) {
        synth_rom_range& last = recorded_ranges->back();
        if (last.name == running_writer && last.table == entry_table && addr == last.address + last.length) {
            last.length += length;
            return;
        }
    }
    recorded_ranges->push_back({addr, length, running_writer, entry_table});
}

void synth_rom_entries_of(const char* table) {
    entry_table = table;
}

void synth_put8(synth_rom_set* set, uint32_t addr, uint8_t v) {
    if (addr >= sizeof set->program) {
        fprintf(stderr, "synth_rom: table write at 0x%X outside the program ROM\n", addr);
        abort();
    }
    set->program[addr] = v;
    synth_rom_range_note(addr, 1);
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

namespace {

struct named_writer {
    const char* name;
    void (*write)(synth_rom_set*);
};

#define WRITER(f) {#f, f}
constexpr named_writer WRITERS[] = {
    WRITER(synth_reset_vector),
    WRITER(synth_sine_table),
    WRITER(synth_atan_table),
    WRITER(synth_atan_coarse_table),
    WRITER(synth_slope_table),
    WRITER(synth_curve_square_table),
    WRITER(synth_curve_cube_table),
    WRITER(synth_block_param_masks),
    WRITER(synth_static_palette),
    WRITER(synth_palette_override),
    WRITER(synth_event_records),
    WRITER(synth_wave_tone),
    WRITER(synth_sound_driver),
    WRITER(synth_sound_table),
    WRITER(synth_course_sound_ids),
    WRITER(synth_param_reset_list),
    WRITER(synth_indexed_sound_ids),
    WRITER(synth_course_slot_lists),
    WRITER(synth_stem_targets),
    WRITER(synth_attract_sound_phases),
    WRITER(synth_sound_point_list),
    WRITER(synth_sound_points),
    WRITER(synth_models),
    WRITER(synth_terrain_chunks),
    WRITER(synth_sprite_tile_table_1),
    WRITER(synth_sprite_tile_table_2),
    WRITER(synth_sprite_tile_table_3),
    WRITER(synth_sprite_size_multipliers),
    WRITER(synth_sprite_disc_tiles),
    WRITER(synth_sprite_panel_tile),
    WRITER(synth_default_initials),
    WRITER(synth_settings_defaults),
    WRITER(synth_switch_ports),
    WRITER(synth_block_tiles),
    WRITER(synth_block_table),
    WRITER(synth_message_blocks),
    WRITER(synth_lamp_patterns),
    WRITER(synth_lamp_label),
    WRITER(synth_test_strings),
    WRITER(synth_title_prompt_text),
    WRITER(synth_colour_ramp),
    WRITER(synth_group127_triples),
    WRITER(synth_group_colours),
    WRITER(synth_cz_tables),
    WRITER(synth_cgram_init),
    WRITER(synth_colour_sets),
    WRITER(synth_fog_records),
    WRITER(synth_height_bias),
    WRITER(synth_area_entries),
    WRITER(synth_cell_areas),
    WRITER(synth_boot_text_list),
    WRITER(synth_title_text_registers),
    WRITER(synth_title_tiles),
    WRITER(synth_title_palette),
    WRITER(synth_object_records),
    WRITER(synth_segment_models),
    WRITER(synth_submodel_offsets),
    WRITER(synth_submodel_sizes),
    WRITER(synth_train_records),
    WRITER(synth_chain_tilts),
    WRITER(synth_chain_turns),
    WRITER(synth_radial_tilts),
    WRITER(synth_backdrop_models),
    WRITER(synth_range_records),
    WRITER(synth_prop_animation_words),
    WRITER(synth_course2_hooks),
    WRITER(synth_letter_models),
    WRITER(synth_ending_list),
    WRITER(synth_backdrop_records),
    WRITER(synth_menu_lists),
    WRITER(synth_terrain_layer_counts),
    WRITER(synth_terrain_layer_masks),
    WRITER(synth_terrain_geometry),
    WRITER(synth_terrain_slopes),
    WRITER(synth_slope_values),
    WRITER(synth_shear_table),
    WRITER(synth_seed_offsets),
    WRITER(synth_terrain_zones),
    WRITER(synth_dynamic_zone_sizes),
    WRITER(synth_lookahead_steps),
    WRITER(synth_chunk_lists),
    WRITER(synth_chunk_masks),
    WRITER(synth_course3_prop_models),
    WRITER(synth_course3_prop_positions),
    WRITER(synth_balloon_draw_lists),
    WRITER(synth_balloon_hit_lists),
    WRITER(synth_balloon_records),
    WRITER(synth_moving_balloon_lists),
    WRITER(synth_moving_balloon_records),
    WRITER(synth_balloon_numbers),
    WRITER(synth_balloon_targets),
    WRITER(synth_balloon_first_numbers),
    WRITER(synth_balloon_model_rows),
    WRITER(synth_moving_balloon_models),
    WRITER(synth_balloon_layout_counts),
    WRITER(synth_balloon_sparkles),
    WRITER(synth_dsp_program),
    WRITER(synth_rig_lists),
    WRITER(synth_rig_second_list),
    WRITER(synth_rig_set_masks),
    WRITER(synth_rig_angle_base),
    WRITER(synth_keyframes),
    WRITER(synth_leg_constants),
    WRITER(synth_second_model),
    WRITER(synth_node_list),
    WRITER(synth_demo_table),
    WRITER(synth_service_texts),
    WRITER(synth_settings_header),
    WRITER(synth_time_radices),
    WRITER(synth_main_menu),
    WRITER(synth_coin_lists),
    WRITER(synth_game_lists),
    WRITER(synth_io_menus),
    WRITER(synth_pattern_menu),
    WRITER(synth_sound_lists),
    WRITER(synth_bookkeeping_lists),
    WRITER(synth_board_menus),
    WRITER(synth_handle_lists),
    WRITER(synth_credit_colours),
    WRITER(synth_pattern_lists),
    WRITER(synth_course_starts),
    WRITER(synth_course_seconds_table),
    WRITER(synth_stage_seconds_table),
    WRITER(synth_viewer_start),
    WRITER(synth_viewer_strings),
    WRITER(synth_flyin_nodes),
    WRITER(synth_flyin_eyes),
    WRITER(synth_flyin_approach),
    WRITER(synth_flyin_objects),
    WRITER(synth_select_blocks),
    WRITER(synth_mode_pointer),
    WRITER(synth_course_map_frames),
    WRITER(synth_handle_hint_tiles),
    WRITER(synth_intro_starts),
    WRITER(synth_intro_texts),
    WRITER(synth_day_cards),
    WRITER(synth_object_scripts),
    WRITER(synth_spawn_records),
    WRITER(synth_course_objects),
    WRITER(synth_chunk_spawns),
    WRITER(synth_tier_tables),
    WRITER(synth_scenery_records),
    WRITER(synth_scenery_frame_tables),
    WRITER(synth_effect_records),
    WRITER(synth_figure_models),
    WRITER(synth_ending_phase_ends),
    WRITER(synth_ending_roll),
    WRITER(synth_ending_scene_lists),
    WRITER(synth_ending_crew_steps),
    WRITER(synth_ending_crew_scenes),
    WRITER(synth_ending_landing),
    WRITER(synth_ending_free_camera),
    WRITER(synth_ending_portrait),
    WRITER(synth_ending_bad),
    WRITER(synth_ending_flights),
    WRITER(synth_inter_days),
    WRITER(synth_inter_sets),
    WRITER(synth_inter_raw_sounds),
    WRITER(synth_inter_sound_scripts),
    WRITER(synth_inter_text_scripts),
    WRITER(synth_inter_tiles),
    WRITER(synth_particle_types),
    WRITER(synth_arrow_grid),
    WRITER(synth_message_showings),
    WRITER(synth_map_records),
    WRITER(synth_blink_tiles),
    WRITER(synth_score_digit_models),
    WRITER(synth_hud_blocks),
    WRITER(synth_attract_scene_list),
    WRITER(synth_attract_demo_tables),
    WRITER(synth_course_demo_tables),
    WRITER(synth_reveal_masks),
    WRITER(synth_replay_tables),
    WRITER(synth_replay_marker_bytes),
    WRITER(synth_demo_closing_text),
    WRITER(synth_attract_blocks),
    WRITER(synth_grade_thresholds),
    WRITER(synth_needle_targets),
    WRITER(synth_final_texts),
    WRITER(synth_results_map_frames),
    WRITER(synth_continue_times),
    WRITER(synth_cycle_entry),
    WRITER(synth_results_blocks),
    WRITER(synth_screen_sprite_tiles),
    WRITER(synth_rom_check_sums),  // last: the point ROM is complete
};
#undef WRITER

}  // namespace

void synth_rom_tables_write(synth_rom_set* set) {
    for (const named_writer& w : WRITERS) {
        running_writer = w.name;
        w.write(set);
    }
    running_writer = "";
}

std::vector<synth_rom_range> synth_rom_table_ranges() {
    std::vector<synth_rom_range> ranges;
    synth_rom_set* set = synth_rom_new_blank();
    if (!set) return ranges;
    recorded_ranges = &ranges;
    synth_rom_tables_write(set);
    recorded_ranges = nullptr;
    synth_rom_free(set);
    return ranges;
}
