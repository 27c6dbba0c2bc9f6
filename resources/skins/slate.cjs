; Slate: a sample skin for Inboxhop.
;
; To use it, copy this file into a folder named x beside Inboxhop.exe and
; name it o.cjs (that is, <program folder>\x\o.cjs). Without that file the
; window keeps its plain white look.
;
; A skin file holds one or more [schemes]; the program uses the first.
; Parts: window, caption (title bar, where the system can colour it), frame,
; option (the service buttons), textbox, button (the wide push button).
; Settings: back, text (colours as #RRGGBB) and font (name, size in points,
; then optionally bold and italic; the caption has no font). The frame takes
; what it does not set from the window, the service buttons from the frame.

[Slate]
window.back  = #E6ECF2
caption.back = #2E5A84
caption.text = #FFFFFF
frame.back   = #D7E1EB
frame.text   = #1F3D5A
frame.font   = Arial, 9, bold
option.text  = #16293B
button.back  = #2E5A84
button.text  = #FFFFFF
button.font  = Arial, 11, bold
