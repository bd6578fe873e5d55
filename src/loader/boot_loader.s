; SpinLoad's standard boot loader, for ca65 (link with boot_loader.cfg). It
; assembles to BOOT_LOADER_IMAGE (boot_loader.cc) byte for byte; those bytes
; are fixed, so this source follows them rather than the other way round.
;
; The boot ROM loads track 0 to $2200 and jumps there. The stub copies the
; 246-byte body to page zero and starts it. For each track from 1 upward the
; body steps the head in, waits about 190 ms at 983040 Hz (so every track
; costs two revolutions), syncs on the index hole's trailing edge, finds the
; sector mark $76 $01, skips the sector's length and reads the load header:
; page count, address high, address low. It stores page count * 256 - 3
; bytes from that address, reading each back: a byte that does not read back
; shows "X" and its address on the screen from $D0D0 on. Its data loop
; takes 51 cycles a byte (52 when the read-back crosses a page). The index
; hole while it waits for a byte is a read failure: a jump through the reset
; vector. A page count of 0, or of 14 and more, ends loading: JMP start at
; $0000, the trampoline at $012B-$0130, then the jump to the start address,
; with A = $4C, X = $FF, Y = $03, S = $00.

        .include "loader_common.inc"

MONITOR_WARM    = $FE0B
CONSOLE_FLAG    = $FE01         ; non-zero on video-console machines
RESET_VECTOR    = $FFFC

STEP_IN_MASK    = $FB           ; port B bit 2 low: direction in
STEP_LOW_MASK   = $F7           ; port B bit 3 low: the drive steps on this edge
STEP_HIGH_BIT   = $08
STEP_WAIT       = $18           ; rounds of the delay after the step
DELAY_PASSES    = $F8
SCREEN_START    = $D0D0         ; where read-back errors are shown
ERROR_MARK      = 'X'
DIGIT_ZERO      = '0'
LETTER_GAP      = 'A' - '9' - 1 ; from '9' + 1 up to 'A'

pages           = $FF           ; pages still to read on this track

; ---------------------------------------------------------------- at $2200
        .segment "STUB"
        relocate_body

; ---------------------------------------------------------- in page zero
        .segment "BODY": zeropage
start:  lda PIA_PORT_B          ; step in once
        and #STEP_IN_MASK
        sta PIA_PORT_B
        jsr pause
        and #STEP_LOW_MASK
        sta PIA_PORT_B
        jsr pause
        ora #STEP_HIGH_BIT
        sta PIA_PORT_B
        ldx #STEP_WAIT
        jsr delay
        ldx #HEAD_LOADED
        stx PIA_PORT_B
        jsr delay               ; X = $7F rounds
        sync_on_index
        find_sector
        jsr read_byte
        sta pages
        beq last
        cmp #PAGE_COUNT_LIMIT
        bcc header
last:   jmp finish
header: jsr read_byte
        sta pointer+1
        jsr read_byte
        sec
        sbc #LOAD_HEADER        ; Y starts at 3: the first page holds 253 bytes
        sta pointer
        bcs chunk
        dec pointer+1
chunk:  ldy #LOAD_HEADER
data:   jsr read_byte
        bcc read_failure
        sta (pointer),y
        cmp (pointer),y
        beq stored
        jsr show_error
stored: iny
        bne data
        inc pointer+1
        dec pages
        bne data
        jmp start

read_failure:
        jmp (RESET_VECTOR)

; X rounds of about 1.27 ms at 983040 Hz.
delay:  ldy #DELAY_PASSES
spin:   dey
        bne spin
        eor z:$FF,x             ; four cycles more per round
        dex
        bne delay
pause:  clc                     ; also read_byte's answer to the index hole
        rts

; The next byte, carry set; carry clear if the index hole came first.
read_byte:
        lda PIA_PORT_A
        bpl pause
        lda ACIA_STATUS
        lsr a
        bcc read_byte
        lda ACIA_DATA
        rts

; "X" and the address of the byte that did not read back.
show_error:
        lda #ERROR_MARK
        jsr put_char
        tya
        clc
        adc pointer
        pha
        lda #0
        adc pointer+1
        jsr put_hex
        pla
put_hex:
        pha
        lsr a
        lsr a
        lsr a
        lsr a
        jsr put_digit
        pla
put_digit:
        and #$0F
        ora #DIGIT_ZERO
        cmp #DIGIT_ZERO + 10
        bmi put_char
        clc
        adc #LETTER_GAP
put_char:
        sta SCREEN_START        ; its low byte moves on with each character
        inc z:put_char + 1
        ldx CONSOLE_FLAG
        bne shown
        jmp MONITOR_WARM        ; a serial console: the monitor
shown:  rts

finish: finish_loading $0300    ; the start address is patched for each disk
body_end:

; Loaded with the rest of the track, never used.
        .segment "TAIL"
        .byte $00
