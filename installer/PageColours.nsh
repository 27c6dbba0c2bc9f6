; Page texts that read at 4.5:1 or better and follow a high-contrast scheme.
;
; As the Modern UI leaves them, two texts are grey on grey, at about 2.2:1:
; the branding line at the bottom ("Inboxhop 7.0.0"), which it paints in
; the button shadow colour, and the components page's "Position your mouse
; over a component..." hint, which it shows in a disabled control until the
; mouse points at a component (a disabled text is drawn greyed, whatever
; colour its page asks for). Both take the scheme's button text on the
; button face, the colours of the other texts on these pages, and the header
; takes the scheme's window text on its window colour instead of fixed black
; on white. The colours are read from the system as each text is drawn, so a
; high-contrast scheme is followed.
;
; Included once, on the line before !insertmacro MUI_PAGE_COMPONENTS: the
; components page's show function is named by a define that the next page
; macro takes. The other hooks are taken by MUI_LANGUAGE and
; MUI_FUNCTION_DESCRIPTION_END, which come later.

!define MUI_PAGE_CUSTOMFUNCTION_SHOW PageColoursDescription
!define MUI_CUSTOMFUNCTION_GUIINIT PageColoursGuiInit
!define MUI_CUSTOMFUNCTION_UNGUIINIT un.PageColoursGuiInit
!define MUI_CUSTOMFUNCTION_ONMOUSEOVERSECTION PageColoursDescription

; A text control of the installer's window in the scheme's colours, enabled
; so that it is not drawn greyed.
!macro PAGECOLOURS_TEXT CONTROL_ID TEXT BACK
  GetDlgItem $0 $HWNDPARENT ${CONTROL_ID}
  SetCtlColors $0 ${TEXT} ${BACK}
  EnableWindow $0 1
!macroend

!macro PAGECOLOURS_GUIINIT UN
  Function ${UN}PageColoursGuiInit
    Push $0
    ; The header: title, subtitle, their background and the icon's.
    !insertmacro PAGECOLOURS_TEXT 1037 SYSCLR:WINDOWTEXT SYSCLR:WINDOW
    !insertmacro PAGECOLOURS_TEXT 1038 SYSCLR:WINDOWTEXT SYSCLR:WINDOW
    !insertmacro PAGECOLOURS_TEXT 1034 SYSCLR:WINDOWTEXT SYSCLR:WINDOW
    !insertmacro PAGECOLOURS_TEXT 1039 SYSCLR:WINDOWTEXT SYSCLR:WINDOW
    ; The branding line, which the Modern UI draws twice, a copy (1028)
    ; under the text (1256): both in the same colour.
    !insertmacro PAGECOLOURS_TEXT 1028 SYSCLR:BTNTEXT SYSCLR:3DFACE
    !insertmacro PAGECOLOURS_TEXT 1256 SYSCLR:BTNTEXT SYSCLR:3DFACE
    Pop $0
  FunctionEnd
!macroend
!insertmacro PAGECOLOURS_GUIINIT ""
!insertmacro PAGECOLOURS_GUIINIT un.

; The components page's description box (1043) stays enabled whatever it
; shows: the hint reads as the descriptions do. It only ever shows text.
; Called when the page shows and whenever the mouse moves over the
; components, where $0 holds the section pointed at; kept as it was.
Function PageColoursDescription
  Push $0
  FindWindow $0 "#32770" "" $HWNDPARENT
  GetDlgItem $0 $0 1043
  EnableWindow $0 1
  Pop $0
FunctionEnd
