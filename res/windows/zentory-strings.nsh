; The setup's and the uninstaller's own texts in the languages of their pages
; (zentory.nsi); MUI2 brings the pages' texts. $R1 names the running program.

LangString ListWith ${LANG_ENGLISH} "List with $(^Name)"
LangString ListWith ${LANG_GERMAN} "Mit $(^Name) auflisten"
LangString ListWith ${LANG_FRENCH} "Lister avec $(^Name)"

LangString InstallNeedsAdmin ${LANG_ENGLISH} "Installing $(^Name) for all users needs an administrator: run this program as administrator."
LangString InstallNeedsAdmin ${LANG_GERMAN} "$(^Name) für alle Benutzer zu installieren erfordert Administratorrechte: Starten Sie dieses Programm als Administrator."
LangString InstallNeedsAdmin ${LANG_FRENCH} "Installer $(^Name) pour tous les utilisateurs demande les droits d'administrateur : lancez ce programme en tant qu'administrateur."

LangString RemoveNeedsAdmin ${LANG_ENGLISH} "Removing $(^Name) for all users needs an administrator: run this program as administrator."
LangString RemoveNeedsAdmin ${LANG_GERMAN} "$(^Name) für alle Benutzer zu entfernen erfordert Administratorrechte: Starten Sie dieses Programm als Administrator."
LangString RemoveNeedsAdmin ${LANG_FRENCH} "Désinstaller $(^Name) pour tous les utilisateurs demande les droits d'administrateur : lancez ce programme en tant qu'administrateur."

LangString ProgramRuns ${LANG_ENGLISH} "$R1 in $INSTDIR is running. Close $(^Name) (the window and any command line using $R1), then choose Retry."
LangString ProgramRuns ${LANG_GERMAN} "$R1 in $INSTDIR läuft noch. Schließen Sie $(^Name) (das Fenster und jede Eingabeaufforderung, die $R1 verwendet) und wählen Sie dann Wiederholen."
LangString ProgramRuns ${LANG_FRENCH} "$R1 dans $INSTDIR est en cours d'exécution. Fermez $(^Name) (la fenêtre et toute ligne de commande qui utilise $R1), puis choisissez Recommencer."

LangString OtherCopyStays ${LANG_ENGLISH} "The $(^Name) installed in $R3 could not be removed. Close it and run this setup again."
LangString OtherCopyStays ${LANG_GERMAN} "Das in $R3 installierte $(^Name) konnte nicht entfernt werden. Schließen Sie es und starten Sie diese Installation erneut."
LangString OtherCopyStays ${LANG_FRENCH} "$(^Name) installé dans $R3 n'a pas pu être supprimé. Fermez-le et relancez cette installation."

LangString FilesStay ${LANG_ENGLISH} "Some files of $(^Name) in $INSTDIR could not be removed. $(^Name) stays in Apps & features, so that you can remove it once they are free."
LangString FilesStay ${LANG_GERMAN} "Einige Dateien von $(^Name) in $INSTDIR konnten nicht entfernt werden. $(^Name) bleibt unter Apps & Features, damit Sie es entfernen können, sobald sie frei sind."
LangString FilesStay ${LANG_FRENCH} "Certains fichiers de $(^Name) dans $INSTDIR n'ont pas pu être supprimés. $(^Name) reste dans Applications et fonctionnalités, pour le désinstaller une fois qu'ils seront libres."

LangString NotInExplorer ${LANG_ENGLISH} "Could not register $(^Name) with Explorer."
LangString NotInExplorer ${LANG_GERMAN} "$(^Name) konnte nicht im Explorer eingetragen werden."
LangString NotInExplorer ${LANG_FRENCH} "Impossible d'inscrire $(^Name) dans l'Explorateur."

LangString NotInWindows ${LANG_ENGLISH} "Could not register $(^Name) with Windows."
LangString NotInWindows ${LANG_GERMAN} "$(^Name) konnte nicht bei Windows eingetragen werden."
LangString NotInWindows ${LANG_FRENCH} "Impossible d'inscrire $(^Name) auprès de Windows."
