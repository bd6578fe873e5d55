; SpinLoad's fast boot loader, for ca65 (link with fast_loader.cfg).
;
; The boot ROM loads track 0 to $2200 and jumps there. The stub copies the
; body to page zero and starts it; the body then reads the data tracks that
; SpinLoad writes (sector mark $76 $01, the sector's length, then the load
; header: page count, address high, address low, and the chunk), exactly as
; the standard loader reads them, but:
;   - its data loop takes 27 cycles a byte (36 at a page end), so it keeps up
;     with an 8-inch disk (a byte every 44 us) at 983040 Hz;
;   - it checks every byte's status for overrun, parity and framing errors,
;     and on one stops with "track NN read error" on the screen;
;   - after a track's last byte it steps at once and waits only for the head
;     to settle, so the next index hole is caught in the same revolution on
;     8-inch disks (at 983040 Hz 5.25-inch data end too close to the hole
;     for that);
;   - it does not read each byte back after storing it.
;
; Memory while it loads: its body at $0000-$00EC (the track being read is
; counted in the message's two digits), $00FD-$00FE (the store pointer),
; $0100 and $01FF (read_byte's return address; S stays $00). The finish is
; the standard loader's, so the program starts with the same state:
; $0000-$0002 JMP start, $012B-$0130 the trampoline (start high, $04, $FD,
; start high, start low, $4C), A = $4C, X = $FF, Y = $03, S = $00, the head
; lifted.

        .include "loader_common.inc"

STEP_IN         = $7B           ; port B: head on the disk, direction in
STEP_PULSE      = $73           ; and the step line low: the drive steps on this edge
; The status shifted right once (receive-full went to the carry): framing
; error in bit 3, overrun in bit 4, parity error in bit 5.
ERROR_BITS      = $38

; Delays are cycle loops: one "millisecond" is 5 * 195 + 6 = 981 cycles,
; 1 ms at 983040 Hz and 0.5 ms at 1966080 Hz.
MILLISECOND_PASSES = 195
HEAD_LOAD_MS    = 160           ; as long as the boot ROM lets the head settle
SETTLE_MS       = 20            ; the step (3 ms) and the head's settling

SCREEN_MESSAGE  = $D0C5         ; row 6, column 5 on the 32-column screen

; ---------------------------------------------------------------- at $2200
        .segment "STUB"
        relocate_body           ; S = $00, as the standard loader has it

; ---------------------------------------------------------- in page zero
; Cycles from one read of the ACIA's data register to the next, when the
; next byte is already waiting (read_byte: JSR 6, status 4, LSR 2, BCS 3,
; AND 2, BNE 2, LDA 4, RTS 6). At most 38 on any path, within a budget of
; 40 (an 8-inch byte lasts 43 cycles at 983040 Hz). The store through
; (pointer),Y takes 6 cycles whether or not it crosses a page, and every
; branch stays inside page zero.
;   sector search, a byte that is not $76         RTS 6 + CMP 2 + BNE 3 + 23 = 34
;   $76, then the next byte                       RTS 6 + CMP 2 + BNE 2 + 23 = 33
;   sector number, then the length                RTS 6 + CMP 2 + BNE 2 + 23 = 33
;   length, then the page count                   RTS 6 + 23                 = 29
;   page count, then the address high             RTS 6 + TAX 2 + BEQ 2 + CMP 2 + BCC 3 + 23 = 38
;   address high, then the address low            RTS 6 + STA 3 + 23         = 32
;   address low, then the first byte of the chunk RTS 6 + SBC 2 + STA 3 + BCS 2 + DEC 5
;                                                 + LDY 2 + 16               = 36
;   a byte of the chunk, then the next            STA 6 + INY 2 + BNE 3 + 16 = 27
;   the last byte of a page, then the next        STA 6 + INY 2 + BNE 2 + INC 5 + DEX 2
;                                                 + BNE 3 + 16               = 36
; (16: status 4, LSR 2, BCC 2, AND 2, BNE 2, LDA 4.)
        .segment "BODY": zeropage
start:  lda #HEAD_LOADED
        sta PIA_PORT_B
        ldy #HEAD_LOAD_MS
        bne step                ; always

next_track:
        ldy #SETTLE_MS
step:   lda #STEP_IN
        sta PIA_PORT_B
        jsr pause
        lda #STEP_PULSE
        sta PIA_PORT_B
        jsr pause
        lda #STEP_IN
        sta PIA_PORT_B
        inc z:track_ones        ; count the track in the message's digits
        lda z:track_ones
        cmp #'9' + 1
        bne wait
        lda #'0'
        sta z:track_ones
        inc z:track_tens
wait:   ldx #MILLISECOND_PASSES
spin:   dex
        bne spin
        dey
        bne wait

        sync_on_index
        find_sector
        jsr read_byte
        tax                     ; the page count
        beq last
        cmp #PAGE_COUNT_LIMIT
        bcc header
last:   jmp finish
header: jsr read_byte
        sta pointer+1
        jsr read_byte           ; returns with the carry set
        sbc #LOAD_HEADER        ; Y starts at 3: the first page holds 253 bytes
        sta pointer
        bcs chunk
        dec pointer+1
chunk:  ldy #LOAD_HEADER
data:   lda ACIA_STATUS
        lsr a
        bcc data
        and #ERROR_BITS
        bne fail
        lda ACIA_DATA
        sta (pointer),y
        iny
        bne data
        inc pointer+1
        dex
        bne data
        jmp next_track

; The next byte, its status checked; the carry is set on return. The index
; hole before a sector is found is a read error too.
read_byte:
        lda ACIA_STATUS
        lsr a
        bcs byte_ready
        bit PIA_PORT_A
        bmi read_byte
        bpl fail                ; always
byte_ready:
        and #ERROR_BITS
        bne fail
        lda ACIA_DATA
pause:  rts

; A read error: lift the head, say which track, and stop.
fail:   lda #HEAD_LIFTED
        sta PIA_PORT_B
        ldx #message_end - message - 1
show:   lda z:message,x
        sta SCREEN_MESSAGE,x
        dex
        bpl show
stop:   jmp stop
message:
        .byte "track "
track_tens:
        .byte "0"
track_ones:
        .byte "0"
        .byte " read error"
message_end:

; The standard loader's finish, byte for byte.
finish: finish_loading $0000    ; the start address is patched for each disk
body_end:
