; hello.bin: writes a greeting into the video memory and waits there.
; Assemble with cc65's ca65 and ld65 (CI checks that this gives hello.bin byte for byte):
;   ca65 -t osic1p examples/hello.s -o hello.o
;   ld65 -C osic1p-asm.cfg -S 0x0300 hello.o -o examples/hello.bin
; Load and start at $0300:  SpinLoad -l0300 examples/hello.bin
;                       or  spindisk make examples/hello.bin --load 0300

SCREEN_ROW = $D0C5              ; video memory: the third row a C1P's monitor shows

.segment "CODE"

        ldx     #$00            ; $0300
loop:   lda     message,x
        beq     done            ; the message ends with a zero byte
        sta     SCREEN_ROW,x
        inx
        bne     loop
done:   jmp     done            ; $030D: wait here

message:                        ; $0310
        .byte   "HELLO FROM SPINLOAD", 0
