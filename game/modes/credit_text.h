// The credit count on the attract and title screens. STAND-IN: reports once and draws
// nothing until the screens' work fills it.
#pragma once

void credit_text_draw();
