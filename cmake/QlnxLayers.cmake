# The architecture as a table: every library of ours, whether it links Qt Core only, and the
# libraries of ours it may use. A library may also use whatever those may use, so each row
# names only the layers right below it. The configuration fails when a library links or
# includes a library of ours its row does not allow, when a Core-only one reaches Gui, Widgets,
# Multimedia, Network, D-Bus or libcdio, when a production file grows past 450 lines, and when
# the folder table of docs/architecture.md no longer lists exactly these libraries.
#
#          library          kind  may use   (CORE: Qt Core only; ANY: anything)
# common/: what both programs need, one copy each.
qlnx_layer(qlnx_base        CORE)
qlnx_layer(qlnx_text        CORE)
qlnx_layer(qlnx_fileio      CORE)
qlnx_layer(qlnx_discid      CORE)
# player/
qlnx_layer(qlnx_disc        CORE  qlnx_text qlnx_fileio)
qlnx_layer(qlnx_playback    CORE  qlnx_disc qlnx_base)
qlnx_layer(qlnx_image       CORE  qlnx_disc qlnx_discid qlnx_text qlnx_base)
qlnx_layer(qlnx_audio       CORE  qlnx_playback qlnx_image)
qlnx_layer(qlnx_audiosink   ANY   qlnx_audio)
qlnx_layer(qlnx_drive       ANY   qlnx_audio qlnx_discid)
qlnx_layer(qlnx_playd       CORE  qlnx_audio)
qlnx_layer(qlnx_service     ANY   qlnx_playd qlnx_drive)
qlnx_layer(qlnx_uilogic     CORE)
qlnx_layer(qlnx_settings    CORE  qlnx_uilogic qlnx_text qlnx_fileio)
qlnx_layer(qlnx_lyrics      CORE  qlnx_disc qlnx_text qlnx_fileio)
qlnx_layer(qlnx_online      CORE  qlnx_settings qlnx_lyrics qlnx_discid qlnx_text qlnx_base)
qlnx_layer(qlnx_network     ANY   qlnx_online)
qlnx_layer(qlnx_controls    ANY   qlnx_uilogic)
qlnx_layer(qlnx_onlineui    ANY   qlnx_online)
qlnx_layer(qlnx_lyricsui    ANY   qlnx_controls qlnx_lyrics qlnx_onlineui)
qlnx_layer(qlnx_ui          ANY   qlnx_lyricsui qlnx_playback qlnx_settings qlnx_online qlnx_onlineui)
qlnx_layer(qlnx_desktop     ANY   qlnx_playback qlnx_settings)
qlnx_layer(qlnx_app         CORE  qlnx_base qlnx_fileio)
# converter/: it uses nothing of the player, only common/.
qlnx_layer(qlnxdc_convert   CORE  qlnx_base qlnx_text qlnx_fileio qlnx_discid)
qlnx_layer(qlnxdc_ui        ANY   qlnxdc_convert)
