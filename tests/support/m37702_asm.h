// A small table-driven M37702 assembler for tests and benchmarks, a flat test
// memory behind the CPU's bus callbacks, and a one-instruction step that runs an
// instruction from the bus the way the sound program's dispatcher does.
//
// Syntax, one instruction per line (';' starts a comment, "name:" defines a label):
//   lda #$12        immediate at the tracked M width (X width for index ops)
//   lda $12  lda $1234  lda $123456     dp, abs, long by the number of hex digits
//   lda <label  lda !label  lda >label  force dp, abs or long for a label
//   lda $12,x  lda $1234,y  lda $12,s  lda ($12)  lda ($12,x)  lda ($12),y
//   lda [$12]  lda [$12],y  lda ($12,s),y  jmp ($1234)  jmp ($1234,x)  jml [$1234]
//   ldm #$12,$80   seb #$01,$1234   bbs #$80,$80,target   mvn $01,$02 (dst, src)
//   asl a / asl b, inc b ...; ldb stb orb andb eorb adcb sbcb cmpb tbx tby txb tyb phb plb
//   .byte $01,$02   .word $1234   .m8 .m16 .x8 .x16 (sep/clp/sem/clm also track widths)
//   .org $d684      continue at a higher address (the gap stays zero)
// Branch operands are target addresses or labels.
#pragma once
#include <cstdint>

#include "sound/m37702.h"

struct m377_program {
    uint32_t origin;
    uint32_t size;
    uint8_t bytes[0x4000];
    int label_count;
    struct {
        char name[32];
        uint32_t address;
    } labels[512];
    char error[160];
};

// Assembles source at origin; false with the reason in p->error.
bool m377_assemble(m377_program* p, uint32_t origin, const char* source);
// A label's address; UINT32_MAX when the program has none of that name.
uint32_t m377_label(const m377_program* p, const char* name);

// Bytes of the instruction with this opcode under the given widths, the 0x42 prefix
// not counted; for 0x89 the second byte selects the instruction. 0 for the prefix
// and for unassigned 0x89-page bytes.
int m377_asm_length(uint8_t opcode, uint8_t second, bool m8, bool x8);
// The mnemonic of an opcode (0x89: of its second byte), for test messages.
const char* m377_asm_name(uint8_t opcode, uint8_t second);

// 256 KB of test memory: banks 0-3, other banks fold onto them (address & 0x3FFFF).
struct m377_test_memory {
    uint8_t bytes[0x40000];
    uint32_t write_count;
    uint32_t last_write;  // address of the last write
};

uint8_t m377_test_read(void* user, uint32_t address);
void m377_test_write(void* user, uint32_t address, uint8_t value);
void m377_test_load(m377_test_memory* mem, const m377_program* p);

// One instruction from the bus: opcode fetch (a 0x42 prefix sets acc_b), one dispatch
// cycle, m377_execute, acc_b cleared. Returns m377_execute's result.
int m377_test_step(m377_state* s);

// A CPU over test memory with the program it runs.
struct m377_test_cpu {
    m377_test_memory mem;
    m377_state cpu;
    m377_program program;
};

// Clears the memory, assembles source at origin (bank 0), points the reset vector at
// it, then m377_init and m377_reset. False with the reason in t->program.error.
bool m377_test_boot(m377_test_cpu* t, const char* source, uint32_t origin = 0xC000);
// Steps until the CPU stops (WAI/STP), halts, or max_steps pass; returns the steps run.
int m377_test_run(m377_test_cpu* t, int max_steps);
