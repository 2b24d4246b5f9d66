// The built-in translations of the captions and messages that the stick windows show.
// Each record: the English text (the key, byte for byte as the windows pass it), then Spanish,
// Dutch and Portuguese. Multi-line texts keep their CR LF line breaks; a line that the windows
// follow with further text (a port name, a count, a file name) is phrased so that it still
// reads well with it.
#include "core/TranslationTexts.h"
#include "core/clsTranslator.h"

#include <array>

namespace {

using Record = clsTranslator::Record;

constexpr std::array kTable = {
    Record{"Stick Reader", "Lector", "Stick Reader", "Bastão de Leitura"},
    Record{"Refresh COM Port List", "Actualizar lista de puertos COM", "COM-poortlijst vernieuwen",
           "Atualizar lista de portas COM"},
    Record{"Configure Stick", "Configurar lector", "Stick instellingen", "Configurar Bastão"},
    Record{"Read Tags from Stick", "Leer crotales del lector", "Oormerken van stick lezen", "Ler brincos do bastão"},
    Record{"Erase Tags from Stick", "Borrar crotales del lector", "Oormerken op stick wissen",
           "Apagar brincos do bastão"},
    Record{"Exit", "Salir", "Terug", "Sair"},
    Record{"Can't find the stick reader on serial port", "No se encuentra el lector en el puerto serie",
           "Kan de stick niet vinden op seriële poort", "Bastão de leitura não encontrado na porta serial"},
    Record{"Please check that the stick reader is powered up", "Compruebe que el lector está encendido",
           "Controleer of de stick aan staat", "Verifique se o bastão de leitura está ligado"},
    Record{"Stick reader not found", "Lector no encontrado", "Stick niet gevonden", "Bastão de leitura não encontrado"},
    Record{"View Data after Download", "Ver datos tras la descarga", "Gegevens tonen na downloaden",
           "Ver dados após a transferência"},
    Record{"Export Animal Details to CSV File", "Exportar datos de animales a archivo CSV",
           "Diergegevens exporteren naar CSV-bestand", "Exportar dados dos animais para arquivo CSV"},
    Record{"Text or CSV Files", "Archivos de texto o CSV", "Tekst- of CSV-bestanden", "Arquivos de texto ou CSV"},
    Record{"Failed to get configuration data from the stick",
           "No se pudieron obtener los datos de configuración del lector",
           "Kan de instellingen niet van de stick ophalen",
           "Não foi possível obter os dados de configuração do bastão"},
    Record{"Configuration Data NOT Received", "Datos de configuración NO recibidos", "Instellingen NIET ontvangen",
           "Dados de configuração NÃO recebidos"},
    Record{"Failed to get animal data from the stick", "No se pudieron obtener los datos de animales del lector",
           "Kan de diergegevens niet van de stick ophalen", "Não foi possível obter os dados dos animais do bastão"},
    Record{"No animal data was detected on your stick", "No se han encontrado datos de animales en el lector",
           "Er zijn geen diergegevens op uw stick gevonden", "Nenhum dado de animal foi encontrado no bastão"},
    Record{"No Data to Receive", "No hay datos que recibir", "Geen gegevens om te ontvangen",
           "Não há dados para receber"},
    Record{"Erase Tag Data", "Borrar datos de crotales", "Oormerkgegevens wissen", "Apagar dados de brincos"},
    Record{"Animal data erased", "Datos de animales borrados", "Diergegevens gewist", "Dados dos animais apagados"},
    Record{"The animal data on the stick was not successfully erased",
           "Los datos de animales del lector no se han podido borrar", "De diergegevens op de stick zijn niet gewist",
           "Os dados dos animais no bastão não foram apagados"},
    Record{"Animal Data NOT Erased", "Datos de animales NO borrados", "Diergegevens NIET gewist",
           "Dados dos animais NÃO apagados"},
    Record{"No serial ports found", "No se encontraron puertos serie", "Geen seriële poorten gevonden",
           "Nenhuma porta serial encontrada"},
    Record{"Please wait - searching for your stick reader", "Espere, por favor - buscando el lector",
           "Even geduld - uw stick wordt gezocht", "Aguarde - procurando o bastão de leitura"},
    Record{"Firmware Version", "Versión de firmware", "Firmwareversie", "Versão do firmware"},
    Record{"Serial Number", "Número de serie", "Serienummer", "Número de série"},
    Record{"Scan time", "Tiempo de lectura", "Scantijd", "Tempo de leitura"},
    Record{"seconds", "segundos", "seconden", "segundos"},
    Record{"Shutdown time", "Tiempo de apagado", "Uitschakeltijd", "Tempo para desligar"},
    Record{"minutes", "minutos", "minuten", "minutos"},
    Record{"EID Output Format", "Formato de salida EID", "EID-uitvoerformaat", "Formato de saída do EID"},
    Record{"EID Display Format", "Formato de visualización EID", "EID-weergaveformaat", "Formato de exibição do EID"},
    Record{"Save Readings to Stick Memory", "Guardar lecturas en la memoria del lector",
           "Gelezen oormerken opslaan in stickgeheugen", "Salvar leituras na memória do bastão"},
    Record{"Printer Bluetooth ID", "ID Bluetooth de la impresora", "Bluetooth-ID printer",
           "ID Bluetooth da impressora"},
    Record{"Yes", "Sí", "Ja", "Sim"},
    Record{"No", "No", "Nee", "Não"},
    Record{"Raw", "Sin formato", "Onbewerkt", "Bruto"},
    Record{"Language", "Idioma", "Taal", "Idioma"},
    Record{"English", "Inglés", "Engels", "Inglês"},
    Record{"Spanish", "Español", "Spaans", "Espanhol"},
    Record{"Dutch", "Holandés", "Nederlands", "Holandês"},
    Record{"Portuguese", "Portugués", "Portugees", "Português"},
    Record{"Getting configuration data from your stick reader", "Obteniendo los datos de configuración del lector",
           "Instellingen worden van uw stick opgehaald", "Obtendo os dados de configuração do bastão de leitura"},
    // The stick reader window's own wording of the line above.
    Record{"Getting configuration data from your tick reader", "Obteniendo los datos de configuración del lector",
           "Instellingen worden van uw stick opgehaald", "Obtendo os dados de configuração do bastão de leitura"},
    Record{"Preparing to get data from your stick reader", "Preparando la lectura de datos del lector",
           "Ophalen van gegevens van uw stick wordt voorbereid", "Preparando para obter os dados do bastão de leitura"},
    Record{"A configuration parameter", "Un parámetro de configuración", "Een instelling",
           "Um parâmetro de configuração"},
    Record{"is invalid. Please re-enter it", "no es válido. Vuelva a introducirlo", "is ongeldig. Voer deze opnieuw in",
           "é inválido. Digite-o novamente"},
    Record{"has not been selected. Please select it", "no se ha seleccionado. Selecciónelo",
           "is niet gekozen. Kies deze a.u.b.", "não foi selecionado. Selecione-o"},
    Record{"Configuration updated OK", "Configuración actualizada correctamente", "Instellingen succesvol bijgewerkt",
           "Configuração atualizada com sucesso"},
    Record{"Configuration saved", "Configuración guardada", "Instellingen opgeslagen", "Configuração salva"},
    Record{"Failed to write a configuration parameter", "No se pudo escribir un parámetro de configuración",
           "Kan een instelling niet wegschrijven", "Falha ao gravar um parâmetro de configuração"},
    Record{"Failed to load the new configuration", "No se pudo cargar la nueva configuración",
           "Kan de nieuwe instellingen niet laden", "Falha ao carregar a nova configuração"},
    Record{"Configuration Error", "Error de configuración", "Fout in instellingen", "Erro de configuração"},
    Record{"Configuration", "Configuración", "Instellingen", "Configuração"},
    Record{"New Program required", "Se necesita un programa nuevo", "Nieuw programma nodig",
           "É necessário um programa novo"},
    Record{"from", "de", "van", "de"},
    Record{"to", "a", "tot", "a"},
    Record{"Save Configuration", "Guardar configuración", "Instellingen opslaan", "Salvar configuração"},
    Record{"Quit", "Cerrar", "Afsluiten", "Fechar"},
    Record{"Please wait...Initialising...", "Espere, por favor...Iniciando...", "Even geduld...Initialiseren...",
           "Aguarde...Inicializando..."},
    Record{"Scroll Buttons", "Botones de desplazamiento", "Scrollknoppen", "Botões de rolagem"},
    Record{"Full ISO", "ISO completo", "Volledig ISO", "ISO completo"},
    Record{"Continuous Read Mode", "Modo de lectura continua", "Continu leesmodus", "Modo de leitura contínua"},
    Record{"Continuous Read Mode Timeout", "Tiempo límite de lectura continua", "Time-out continu lezen",
           "Tempo limite da leitura contínua"},
    Record{"Mark Characters", "Caracteres de marca", "Markeringstekens", "Caracteres de marcação"},
    Record{"Tag unique check", "Comprobar crotales repetidos", "Controle op dubbele oormerken",
           "Verificar brincos repetidos"},
    Record{"Printer Type", "Tipo de impresora", "Printertype", "Tipo de impressora"},
    Record{"Press to Read", "Pulsar para leer", "Druk om te lezen", "Pressionar para ler"},
    Record{"Continuous Read", "Lectura continua", "Continu lezen", "Leitura contínua"},
    Record{"Invalid Configuration Item(s)", "Elemento(s) de configuración no válido(s)", "Ongeldige instelling(en)",
           "Item(ns) de configuração inválido(s)"},
    Record{"Select Com Port", "Seleccione el puerto COM", "Kies de COM-poort", "Selecione a porta COM"},
    Record{"Tag Read Options", "Opciones de lectura de crotales", "Opties voor oormerken lezen",
           "Opções de leitura de brincos"},
    Record{"Show Tag Read Options", "Mostrar opciones de lectura", "Leesopties tonen", "Mostrar opções de leitura"},
    Record{"Hide Tag Read Options", "Ocultar opciones de lectura", "Leesopties verbergen", "Ocultar opções de leitura"},
    Record{"When reading tags from the stick...", "Al leer los crotales del lector...",
           "Bij het lezen van oormerken van de stick...", "Ao ler os brincos do bastão..."},
    Record{"Sort them into order", "Ordenarlos", "Op volgorde sorteren", "Colocá-los em ordem"},
    Record{"Include group labels", "Incluir nombres de grupo", "Groepsnamen toevoegen", "Incluir nomes dos grupos"},
    Record{"Include the time the tag was read", "Incluir la hora de lectura", "Tijdstip van lezen toevoegen",
           "Incluir a hora da leitura"},
    Record{"Show each group in a separate window", "Mostrar cada grupo en una ventana aparte",
           "Elke groep in een apart venster tonen", "Mostrar cada grupo em uma janela separada"},
    Record{"Tags to save", "Crotales a guardar", "Op te slaan oormerken", "Brincos a salvar"},
    Record{"All tags", "Todos los crotales", "Alle oormerken", "Todos os brincos"},
    Record{"Selected tags", "Crotales seleccionados", "Geselecteerde oormerken", "Brincos selecionados"},
    Record{"Load tags in:", "Cargar crotales en:", "Oormerken laden in:", "Carregar brincos em:"},
    Record{"Text window", "Ventana de texto", "Tekstvenster", "Janela de texto"},
    Record{"Spreadsheet", "Hoja de cálculo", "Rekenblad", "Planilha"},
    Record{"Desktop clipboard", "Portapapeles del escritorio", "Klembord van het bureaublad",
           "Área de transferência da área de trabalho"},
    Record{"Selection Done", "Selección terminada", "Selectie klaar", "Seleção concluída"},
    Record{"Cancel", "Cancelar", "Annuleren", "Cancelar"},
    Record{"Reading from stick", "Leyendo del lector", "Lezen van stick", "Lendo do bastão"},
    Record{"Extracting tags", "Extrayendo crotales", "Oormerken verwerken", "Extraindo brincos"},
    Record{"Saving to", "Guardando en", "Opslaan naar", "Salvando em"},
    Record{"clipboard", "portapapeles", "klembord", "área de transferência"},
    Record{"a text window", "una ventana de texto", "een tekstvenster", "uma janela de texto"},
    Record{"a spreadsheet", "una hoja de cálculo", "een rekenblad", "uma planilha"},
    Record{"Tag File Options", "Opciones del archivo de crotales", "Opties oormerkbestand",
           "Opções do arquivo de brincos"},
    Record{"Show Tag File Options", "Mostrar opciones del archivo", "Bestandsopties tonen",
           "Mostrar opções do arquivo"},
    Record{"Hide Tag File Options", "Ocultar opciones del archivo", "Bestandsopties verbergen",
           "Ocultar opções do arquivo"},
    Record{"Set up Tag File", "Preparar archivo de crotales", "Oormerkbestand samenstellen",
           "Preparar arquivo de brincos"},
    Record{"Send Tag File to Stick", "Enviar archivo de crotales al lector", "Oormerkbestand naar stick sturen",
           "Enviar arquivo de brincos ao bastão"},
    Record{"Erase Tag File from Stick", "Borrar archivo de crotales del lector", "Oormerkbestand op stick wissen",
           "Apagar arquivo de brincos do bastão"},
    Record{"Help", "Ayuda", "Help", "Ajuda"},
    Record{"Get Tags from File on PC", "Cargar crotales de un archivo del PC", "Oormerken uit bestand op pc halen",
           "Obter brincos de arquivo no PC"},
    Record{"Select Tags to Send to Stick", "Seleccionar crotales para enviar al lector",
           "Oormerken kiezen om naar stick te sturen", "Selecionar brincos para enviar ao bastão"},
    Record{"Deselect Tags from the List", "Quitar selección de crotales de la lista", "Oormerken in lijst deselecteren",
           "Desmarcar brincos da lista"},
    Record{"Delete Selected Tags from the List", "Eliminar de la lista los crotales seleccionados",
           "Geselecteerde oormerken uit lijst verwijderen", "Excluir da lista os brincos selecionados"},
    // A doubled ampersand shows as one on a button.
    Record{"Save && Exit", "Guardar && salir", "Opslaan && terug", "Salvar && sair"},
    Record{"Colour Codes", "Códigos de color", "Kleurcodes", "Códigos de cores"},
    Record{"Eartag", "Crotal", "Oormerk", "Brinco"},
    Record{"Send to Stick?", "¿Enviar al lector?", "Naar stick sturen?", "Enviar ao bastão?"},
    Record{"green", "verde", "groen", "verde"},
    Record{"red", "rojo", "rood", "vermelho"},
    Record{"Selected", "Seleccionado", "Geselecteerd", "Selecionado"},
    Record{"Eartag Selection", "Selección de crotales", "Oormerkselectie", "Seleção de brincos"},
    Record{"The eartag data was not successfully sent to the stick",
           "Los datos de crotales no se han podido enviar al lector",
           "De oormerkgegevens zijn niet naar de stick verzonden", "Os dados dos brincos não foram enviados ao bastão"},
    Record{"Eartag Data NOT Sent", "Datos de crotales NO enviados", "Oormerkgegevens NIET verzonden",
           "Dados dos brincos NÃO enviados"},
    Record{"There is no eartag data to send to the stick", "No hay datos de crotales para enviar al lector",
           "Er zijn geen oormerkgegevens om naar de stick te sturen", "Não há dados de brincos para enviar ao bastão"},
    Record{"No Eartag Data", "Sin datos de crotales", "Geen oormerkgegevens", "Sem dados de brincos"},
    // The deletion question ends with these after the count; the singular carries its article
    // because the count is left out for one eartag.
    Record{"selected eartag?", "el crotal seleccionado?", "het geselecteerde oormerk?", "o brinco selecionado?"},
    Record{"selected eartags?", "crotales seleccionados?", "geselecteerde oormerken?", "brincos selecionados?"},
    Record{"Confirm Eartag Deletion", "Confirmar eliminación de crotales", "Verwijderen oormerken bevestigen",
           "Confirmar exclusão de brincos"},
    Record{"Number of eartags sent to stick:", "Número de crotales enviados al lector:",
           "Aantal oormerken naar stick verzonden:", "Número de brincos enviados ao bastão:"},
    Record{"Successful Transfer", "Transferencia correcta", "Overdracht geslaagd", "Transferência concluída"},
    Record{"Unrecognised file format", "Formato de archivo no reconocido", "Onbekend bestandsformaat",
           "Formato de arquivo não reconhecido"},
    Record{"Eartag data erased", "Datos de crotales borrados", "Oormerkgegevens gewist", "Dados dos brincos apagados"},
    Record{"The eartag data on the stick was not successfully erased",
           "Los datos de crotales del lector no se han podido borrar",
           "De oormerkgegevens op de stick zijn niet gewist", "Os dados dos brincos no bastão não foram apagados"},
    Record{"Eartag Data NOT Erased", "Datos de crotales NO borrados", "Oormerkgegevens NIET gewist",
           "Dados dos brincos NÃO apagados"},
    Record{"Tag Lookup", "Búsqueda de crotal", "Oormerk opzoeken", "Consulta de brinco"},
    Record{"Tag file format error at line", "Error de formato del archivo de crotales en la línea",
           "Formaatfout in oormerkbestand op regel", "Erro de formato no arquivo de brincos na linha"},
    Record{"in file", "en el archivo", "in bestand", "no arquivo"},
    Record{"The remainder of the tag import has been abandoned.",
           "Se ha cancelado el resto de la importación de crotales.", "De rest van de oormerkimport is afgebroken.",
           "O restante da importação de brincos foi cancelado."},
    Record{"File Format Error", "Error de formato de archivo", "Fout in bestandsformaat", "Erro de formato de arquivo"},
    Record{"Label Printing On", "Impresión de etiquetas activada", "Labels printen aan",
           "Impressão de etiquetas ativada"},
    Record{"(New)", "(Nuevo)", "(Nieuw)", "(Novo)"},
    Record{"Total for group", "Total del grupo", "Totaal voor groep", "Total do grupo"},
    Record{"Total", "Total", "Totaal", "Total"},
    Record{"External Display Bluetooth ID", "ID Bluetooth de la pantalla externa", "Bluetooth-ID extern display",
           "ID Bluetooth do visor externo"},
    Record{"Output Termination", "Terminación de salida", "Regelafsluiting uitvoer", "Terminação da saída"},
    Record{"Label Printing Allowed", "Impresión de etiquetas permitida", "Labels printen toegestaan",
           "Impressão de etiquetas permitida"},
    Record{"Print in Order", "Imprimir en orden", "Op volgorde printen", "Imprimir em ordem"},
    Record{"Print as read", "Imprimir al leer", "Printen bij lezen", "Imprimir ao ler"},
    Record{"Weigher Bluetooth ID", "ID Bluetooth de la báscula", "Bluetooth-ID weegschaal", "ID Bluetooth da balança"},
    Record{"Tag import", "Importación de crotales", "Oormerkimport", "Importação de brincos"},
    Record{"for group", "del grupo", "voor groep", "do grupo"},
    // Split at the commas into the sheet's column headings: keep three fields.
    Record{"Tag or EID,Group,Date/Time", "Crotal o EID,Grupo,Fecha/Hora", "Oormerk of EID,Groep,Datum/tijd",
           "Brinco ou EID,Grupo,Data/Hora"},
    Record{"Imported Data", "Datos importados", "Geïmporteerde gegevens", "Dados importados"},
    // Followed by the date and time.
    Record{"Data Imported ", "Datos importados el ", "Gegevens geïmporteerd op ", "Dados importados em "},
    Record{"Group", "Grupo", "Groep", "Grupo"},
    Record{"Conflicting Options", "Opciones incompatibles", "Tegenstrijdige opties", "Opções incompatíveis"},

    // The longer messages and help texts.
    Record{"Do you want to view the imported data after getting it from the stick?",
           "¿Desea ver los datos importados después de obtenerlos del lector?",
           "Wilt u de geïmporteerde gegevens bekijken nadat ze van de stick zijn opgehaald?",
           "Deseja ver os dados importados depois de obtê-los do bastão?"},
    Record{"This will erase all animal data stored on the stick. Are you sure?",
           "Se borrarán todos los datos de animales guardados en el lector. ¿Está seguro?",
           "Hiermee worden alle diergegevens op de stick gewist. Weet u het zeker?",
           "Isto apagará todos os dados de animais gravados no bastão. Tem certeza?"},
    Record{"No serial ports were detected on your computer. Access to your stick reader\r\n"
           "is not possible without a working serial port",
           "No se ha detectado ningún puerto serie en su ordenador. Sin un puerto serie que funcione\r\n"
           "no es posible acceder al lector",
           "Er zijn geen seriële poorten op uw computer gevonden. Zonder werkende seriële poort\r\n"
           "is toegang tot uw stick niet mogelijk",
           "Nenhuma porta serial foi detectada no seu computador. Sem uma porta serial funcionando\r\n"
           "não é possível acessar o bastão de leitura"},
    Record{"If you have not yet enabled the Bluetooth connection from your stick reader\r\n"
           "to your PC please do so now and turn the stick reader on. Then select the COM port\r\n"
           "to which it is connected from the list alongside. If the COM port is not showing in the list\r\n"
           "please click the Refresh COM Port List button",
           "Si aún no ha activado la conexión Bluetooth entre el lector y su PC,\r\n"
           "hágalo ahora y encienda el lector. Después seleccione en la lista de al lado\r\n"
           "el puerto COM al que está conectado. Si el puerto COM no aparece en la lista,\r\n"
           "pulse el botón Actualizar lista de puertos COM",
           "Als u de Bluetooth-verbinding tussen uw stick en uw pc nog niet hebt ingeschakeld,\r\n"
           "doe dat dan nu en zet de stick aan. Kies daarna in de lijst hiernaast de COM-poort\r\n"
           "waarop de stick is aangesloten. Staat de COM-poort niet in de lijst,\r\n"
           "klik dan op de knop COM-poortlijst vernieuwen",
           "Se ainda não ativou a conexão Bluetooth entre o bastão de leitura e o PC,\r\n"
           "faça isso agora e ligue o bastão. Em seguida, selecione na lista ao lado a porta COM\r\n"
           "à qual ele está conectado. Se a porta COM não aparecer na lista,\r\n"
           "clique no botão Atualizar lista de portas COM"},
    Record{TranslationTexts::StickReaderPortHelp,
           "Si aún no ha activado la conexión Bluetooth entre el lector y su PC,\r\n"
           "hágalo ahora y encienda el lector. Después seleccione en la lista de abajo\r\n"
           "el puerto COM al que está conectado. Si el puerto COM no aparece en la lista,\r\n"
           "pulse el botón Actualizar lista de puertos COM",
           "Als u de Bluetooth-verbinding tussen uw stick en uw pc nog niet hebt ingeschakeld,\r\n"
           "doe dat dan nu en zet de stick aan. Kies daarna in de lijst hieronder de COM-poort\r\n"
           "waarop de stick is aangesloten. Staat de COM-poort niet in de lijst,\r\n"
           "klik dan op de knop COM-poortlijst vernieuwen",
           "Se ainda não ativou a conexão Bluetooth entre o bastão de leitura e o PC,\r\n"
           "faça isso agora e ligue o bastão. Em seguida, selecione na lista abaixo a porta COM\r\n"
           "à qual ele está conectado. Se a porta COM não aparecer na lista,\r\n"
           "clique no botão Atualizar lista de portas COM"},
    Record{"Configuration (use the scrollbar on the right to view all configuration items)",
           "Configuración (use la barra de desplazamiento de la derecha para ver todos los elementos)",
           "Instellingen (gebruik de schuifbalk rechts om alle instellingen te zien)",
           "Configuração (use a barra de rolagem à direita para ver todos os itens de configuração)"},
    Record{"This stick is a later version than this program can handle.\r\n"
           "You will need to get an updated version of this program.",
           "Este lector es de una versión posterior a la que admite este programa.\r\n"
           "Necesitará una versión actualizada del programa.",
           "Deze stick heeft een nieuwere versie dan dit programma aankan.\r\n"
           "U hebt een bijgewerkte versie van dit programma nodig.",
           "Este bastão é de uma versão mais recente do que este programa suporta.\r\n"
           "Será necessário obter uma versão atualizada deste programa."},
    Record{"One or more configuration items read from your stick were invalid.\r\n"
           "Any such items are displayed in red and a default value has been\r\n"
           "substituted. Please check each item and ensure that you set the\r\n"
           "value to what you want it to be. If you can't see any configuration\r\n"
           "items displayed in red then this message indicates a problem with\r\n"
           "your stick's current configuration. Even if you don't (or can't) \r\n"
           "change a value you MUST save the configuration to your stick to\r\n"
           "eliminate the problem.",
           "Uno o más elementos de configuración leídos del lector no eran válidos.\r\n"
           "Estos elementos se muestran en rojo y se ha puesto en su lugar un valor\r\n"
           "predeterminado. Revise cada elemento y asegúrese de que tiene el valor\r\n"
           "que desea. Si no ve ningún elemento de configuración en rojo, este mensaje\r\n"
           "indica un problema con la configuración actual del lector. Aunque no\r\n"
           "cambie (o no pueda cambiar) ningún valor, DEBE guardar la configuración\r\n"
           "en el lector para eliminar el problema.",
           "Een of meer instellingen die van uw stick zijn gelezen, waren ongeldig.\r\n"
           "Deze instellingen worden in het rood getoond en er is een standaardwaarde\r\n"
           "ingevuld. Controleer elke instelling en zorg dat deze de waarde heeft\r\n"
           "die u wilt. Als u geen rode instellingen ziet, wijst deze melding op een\r\n"
           "probleem met de huidige instellingen van uw stick. Ook als u geen waarde\r\n"
           "wijzigt (of kunt wijzigen), MOET u de instellingen op de stick opslaan\r\n"
           "om het probleem te verhelpen.",
           "Um ou mais itens de configuração lidos do bastão eram inválidos.\r\n"
           "Esses itens aparecem em vermelho e foram substituídos por um valor\r\n"
           "padrão. Verifique cada item e confira se o valor é o que você deseja.\r\n"
           "Se não houver nenhum item de configuração em vermelho, esta mensagem\r\n"
           "indica um problema na configuração atual do bastão. Mesmo que você não\r\n"
           "altere (ou não possa alterar) nenhum valor, você DEVE salvar a configuração\r\n"
           "no bastão para eliminar o problema."},
    Record{TranslationTexts::EartagListHelp,
           "Para cargar el archivo de crotales desde su PC:\r\n"
           "  Seleccione 'Cargar crotales de un archivo del PC', busque el archivo de crotales y pulse 'Abrir'.\r\n"
           "Para seleccionar crotales:\r\n"
           "  Marque los crotales y pulse 'Seleccionar crotales para enviar al lector'. Todos los crotales con "
           "una marca se enviarán al lector.\r\n"
           "  Los números de crotal resaltados en azul son los añadidos recientemente.\r\n"
           "Para quitar la selección de crotales:\r\n"
           "  Marque los crotales y pulse 'Quitar selección de crotales de la lista'.\r\n"
           "  No se enviarán al lector, pero seguirán en la lista del PC.\r\n"
           "Para eliminar crotales de la lista definitivamente:\r\n"
           "  Marque los crotales y pulse 'Eliminar de la lista los crotales seleccionados'.\r\n"
           "  Si más adelante desea añadir estos crotales, tendrá que volver a cargar el archivo de crotales "
           "desde el PC.\r\n"
           "\r\n"
           "Cuantos más crotales seleccione, más tardarán en cargarse en el lector. Al cargar crotales "
           "asociados se sustituirán los\r\n"
           "'crotales asociados' que haya en el lector.\r\n"
           "\r\n"
           "Todos los crotales (salvo los eliminados de la lista) seguirán en el programa la próxima vez que lo "
           "abra.\r\n"
           "\r\n"
           "Los crotales se pueden seleccionar de estas formas:\r\n"
           "  1. Un solo crotal: haga clic en la casilla gris que tiene al lado.\r\n"
           "  2. Varios crotales seguidos: seleccione el primero y después, manteniendo pulsada la tecla Mayús "
           "del teclado,\r\n"
           "     seleccione el último.\r\n"
           "  3. Varios crotales no seguidos: selecciónelos manteniendo pulsada la tecla Ctrl del teclado.\r\n"
           "  4. Para quitar la selección de todos los crotales, haga clic en cualquier lugar de la tabla.\r\n"
           "\r\n"
           "Si el fabricante de sus crotales no le facilita un archivo de crotales, puede crearlo usted mismo.\r\n"
           "Con una ventana de texto como esta, cree un archivo de texto en el que cada línea tenga este formato:\r\n"
           "   EID,Crotal visual\r\n"
           "El EID puede tener 16 dígitos hexadecimales o 15 o 16 dígitos decimales (si tiene 16, el primero "
           "debe ser 0). Todos los EID\r\n"
           "de un archivo deben tener el mismo formato. Puede configurar el lector para que muestre cualquiera "
           "de estos formatos.\r\n"
           "El crotal visual puede tener de 1 a 16 caracteres y como máximo un espacio.",

           "Het oormerkbestand van uw pc ophalen:\r\n"
           "  Kies 'Oormerken uit bestand op pc halen', zoek het oormerkbestand en klik op 'Openen'.\r\n"
           "Oormerken selecteren:\r\n"
           "  Markeer de oormerken en klik op 'Oormerken kiezen om naar stick te sturen' - Alle oormerken met "
           "een vinkje worden naar de stick gestuurd.\r\n"
           "  Blauw gemarkeerde oormerknummers zijn de nieuw toegevoegde nummers.\r\n"
           "Oormerken deselecteren:\r\n"
           "  Markeer de oormerken en klik op 'Oormerken in lijst deselecteren'.\r\n"
           "  Deze worden niet naar de stick gestuurd, maar blijven in de lijst op de pc staan.\r\n"
           "Oormerken definitief uit de lijst verwijderen:\r\n"
           "  Markeer de oormerken en klik op 'Geselecteerde oormerken uit lijst verwijderen'.\r\n"
           "  Wilt u deze oormerken later weer toevoegen, dan moet u het oormerkbestand opnieuw van de pc "
           "ophalen.\r\n"
           "\r\n"
           "Hoe meer oormerken geselecteerd zijn, hoe langer het laden op de stick duurt. Het uploaden van "
           "gekoppelde oormerken vervangt alle\r\n"
           "'gekoppelde oormerken' die al op de stick staan.\r\n"
           "\r\n"
           "Alle oormerken (behalve de uit de lijst verwijderde) staan de volgende keer nog in het programma.\r\n"
           "\r\n"
           "Oormerken kunnen op de volgende manieren worden geselecteerd:\r\n"
           "  1. Eén oormerk selecteren: klik in het grijze vakje ernaast.\r\n"
           "  2. Meerdere opeenvolgende oormerken: selecteer het eerste oormerk en daarna, terwijl u de "
           "Shift-toets ingedrukt houdt,\r\n"
           "     het laatste oormerk.\r\n"
           "  3. Meerdere losse oormerken: selecteer ze terwijl u de Ctrl-toets ingedrukt houdt.\r\n"
           "  4. Alle oormerken deselecteren: klik ergens in het raster.\r\n"
           "\r\n"
           "Levert uw oormerkleverancier geen oormerkbestand, dan kunt u er zelf een maken.\r\n"
           "Maak met een tekstvenster zoals dit een tekstbestand waarin elke regel de volgende opmaak heeft:\r\n"
           "   EID,Visueel oormerk\r\n"
           "Het EID mag uit 16 hexadecimale cijfers of uit 15 of 16 decimale cijfers bestaan (bij 16 moet het "
           "eerste cijfer 0 zijn). Alle EID's\r\n"
           "in een bestand moeten dezelfde opmaak hebben. U kunt uw stick elk van deze formaten laten tonen.\r\n"
           "Het visuele oormerk mag 1 tot 16 tekens lang zijn en hoogstens één spatie bevatten.",

           "Para obter o arquivo de brincos do seu PC:\r\n"
           "  Selecione 'Obter brincos de arquivo no PC', procure o arquivo de brincos e clique em 'Abrir'.\r\n"
           "Para selecionar brincos:\r\n"
           "  Destaque os brincos e clique em 'Selecionar brincos para enviar ao bastão' - Todos os brincos "
           "marcados serão enviados ao bastão.\r\n"
           "  Os números de brinco destacados em azul são os adicionados recentemente.\r\n"
           "Para desmarcar brincos:\r\n"
           "  Destaque os brincos e clique em 'Desmarcar brincos da lista'.\r\n"
           "  Eles não serão enviados ao bastão, mas continuarão na lista do PC.\r\n"
           "Para excluir brincos da lista definitivamente:\r\n"
           "  Destaque os brincos e clique em 'Excluir da lista os brincos selecionados'.\r\n"
           "  Se depois quiser adicionar esses brincos, será necessário obter novamente o arquivo de brincos do "
           "PC.\r\n"
           "\r\n"
           "Quanto mais brincos selecionados, mais lento será o carregamento no bastão. O envio de brincos "
           "associados substituirá todos os\r\n"
           "'brincos associados' existentes no bastão.\r\n"
           "\r\n"
           "Todos os brincos (exceto os excluídos da lista) continuarão no programa no próximo acesso.\r\n"
           "\r\n"
           "Os brincos podem ser selecionados das seguintes formas:\r\n"
           "  1. Um único brinco: clique na caixa cinza ao lado dele.\r\n"
           "  2. Vários brincos seguidos: selecione o primeiro brinco e depois, mantendo pressionada a tecla "
           "Shift do teclado,\r\n"
           "     selecione o último.\r\n"
           "  3. Vários brincos não seguidos: selecione-os mantendo pressionada a tecla Ctrl do teclado.\r\n"
           "  4. Para desmarcar todos os brincos, clique em qualquer lugar da grade.\r\n"
           "\r\n"
           "Se o fabricante dos seus brincos não fornecer um arquivo de brincos, você pode criar o seu.\r\n"
           "Em uma janela de texto como esta, crie um arquivo de texto em que cada linha tenha o seguinte formato:\r\n"
           "   EID,Brinco visual\r\n"
           "O EID pode ter 16 dígitos hexadecimais ou 15 ou 16 dígitos decimais (se tiver 16, o primeiro deve "
           "ser 0). Todos os EIDs\r\n"
           "de um arquivo devem usar o mesmo formato. Você pode configurar o bastão para exibir qualquer um "
           "desses formatos.\r\n"
           "O brinco visual pode ter de 1 a 16 caracteres, com no máximo um espaço."},
    // Followed by " ", the count (left out for one eartag), " " and "selected eartag(s)?".
    Record{"WARNING - You can't recover eartags that have been removed (except by reloading\r\n"
           "the tag bucket file containing the eartags).  Are you sure you want to remove\r\n"
           "the",
           "ADVERTENCIA - Los crotales eliminados no se pueden recuperar (salvo volviendo a cargar\r\n"
           "el archivo de crotales que los contiene).  ¿Está seguro de que desea\r\n"
           "eliminar",
           "WAARSCHUWING - Verwijderde oormerken kunnen niet worden hersteld (behalve door het\r\n"
           "oormerkbestand met deze oormerken opnieuw te laden).  Weet u zeker dat u deze\r\n"
           "wilt verwijderen:",
           "AVISO - Não é possível recuperar brincos removidos (exceto recarregando\r\n"
           "o arquivo de brincos que os contém).  Tem certeza de que deseja\r\n"
           "remover"},
    Record{"Tag Lookup cannot be set when 'Print in Order' is set to Print in Order",
           "No se puede elegir Búsqueda de crotal si 'Imprimir en orden' está en Imprimir en orden",
           "Oormerk opzoeken kan niet worden gekozen als 'Op volgorde printen' op Op volgorde printen staat",
           "Não é possível escolher Consulta de brinco quando 'Imprimir em ordem' está definido como Imprimir "
           "em ordem"},
    Record{"Print in Order cannot be set when 'EID Display Format' is set to Tag Lookup",
           "No se puede elegir Imprimir en orden si 'Formato de visualización EID' está en Búsqueda de crotal",
           "Op volgorde printen kan niet worden gekozen als 'EID-weergaveformaat' op Oormerk opzoeken staat",
           "Não é possível escolher Imprimir em ordem quando 'Formato de exibição do EID' está definido como "
           "Consulta de brinco"},
};

}  // namespace

std::span<const clsTranslator::Record> clsTranslator::BuiltInTable() { return kTable; }

int clsTranslator::RecordCount() { return static_cast<int>(kTable.size()); }
