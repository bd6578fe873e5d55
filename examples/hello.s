; hello.bin: writes a greeting into the video memory and waits there.
; Load and start at $0300:  SpinLoad -l0300 examples/hello.bin
;
; addr  bytes      source
; 0300  A2 00          LDX #$00
; 0302  BD 10 03  LOOP LDA MSG,X
; 0305  F0 06          BEQ DONE
; 0307  9D C5 D0       STA $D0C5,X     ; the third row a C1P's monitor shows
; 030A  E8             INX
; 030B  D0 F5          BNE LOOP
; 030D  4C 0D 03  DONE JMP DONE
; 0310            MSG  .BYTE "HELLO FROM SPINLOAD",0
