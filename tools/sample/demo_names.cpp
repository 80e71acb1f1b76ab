// The invented names and sentences of the demo database, in French (the database's
// language). Windows-1252 bytes: letters beyond ASCII are written as octal escapes.
#include "demo_names.h"

namespace sample {

const DemoNames& demoNames()
{
    static const DemoNames names = {
        {"Terres d'Aub\351val", "Royaume de Kestrane", "\316les Morvennes"},
        {
            {"Plaines de Sorvel", 0, 0, "sorvel"},
            {"For\352t de Brumecorne", 0, 1, "brume"},
            {"Marches de Kestrane", 1, 3, "kestra"},
            {"Cit\351 de Valbrune", 1, 4, "valbru"},
            {"Archipel de Morvenne", 2, 2, "morven"},
            {"Grottes d'\311cume-Noire", 2, 3, "ecume"},
        },
        // map_words
        {"Vall\351e de", "Landes de", "Collines de", "Marais de", "C\364te de", "Plateau de", "Gorges de", "Steppes de"},
        // syllables_a
        {"Ar", "Bel", "Cor", "Dun", "Es", "Fal", "Gor", "Hal", "Isen", "Kor", "Lun", "Mor", "Nor", "Or", "Pel", "Quen", "Ros", "Sar", "Tal", "Ul", "Val", "Wen", "Yr", "Zan"},
        // syllables_b
        {"bre", "dor", "gan", "lin", "mar", "nel", "ric", "sant", "ven", "wyn", "\350s", "\353l"},
        // zone_words
        {"Val de", "Combe de", "Clairi\350re de", "Lande de", "Gu\351 de", "Pointe de", "Bois de", "Mont de", "\311tang de", "Rivage de", "Faubourg de", "Plaine de", "Colline de", "Marais de", "Crique de", "Col de", "Plateau de"},
        // types
        {"Aucun", "Humano\357de", "B\352te", "Mort-vivant", "\311l\351mentaire", "Marchand", "Ma\356tre", "Ressource", "Lieu"},
        // creatures
        {"Loup", "Gobelin", "Araign\351e", "Troll", "Spectre", "Harpie", "Squelette", "Ours", "Sanglier", "Kobold", "\311l\351mentaire", "Goule", "Wyverne", "Bandit", "Sorci\350re", "Crocodile", "Feu follet", "Golem"},
        {2, 1, 2, 1, 3, 2, 3, 2, 2, 1, 4, 3, 2, 1, 1, 2, 4, 4},
        // complements
        {"des brumes", "des collines", "du marais", "de givre", "des cendres", "d'Aub\351val", "de la for\352t", "des cavernes", "des ruines", "sans-nom", "de Kestrane", "des gr\350ves"},
        // boss_names
        {"Grukk", "Morvana", "Kaelthor", "Ysolde", "Brannoc", "Ser\351this", "Oskar", "Nym\351a", "Vorgal", "\311lowen"},
        // boss_titles
        {"le D\351voreur", "la P\342le", "l'Ancien", "la Tisseuse", "le Maudit", "le G\351ant", "la Reine des cendres", "le Sans-Visage"},
        // first_names_m
        {"Aldric", "B\351rengar", "Jorik", "Th\351odric", "Gaspard", "Math\351o", "Corentin", "Baptiste"},
        // first_names_f
        {"Ma\353lle", "Isaure", "Ana\357s", "L\351onie", "H\351lo\357se", "Sol\350ne", "Ysaline"},
        // resources
        {"Filon de cuivre", "Filon d'argent", "Gisement de fer", "Herbes de lune", "Champignon noir", "Bois de fr\352ne", "Cristal d'\351ther", "Lys des marais", "Pierre de sel", "Ambre fossile"},
        // quests
        {"Le pont bris\351", "La lettre perdue", "Chasse au loup", "Les reliques d'\311loria", "Le phare \351teint", "Un ours trop curieux", "La d\356me du meunier", "Les \234ufs de wyverne"},
        // pois
        {"Tour de guet", "Pont de pierre", "Moulin abandonn\351", "Puits ancien", "Autel oubli\351", "Phare", "Cromlech", "Cascade", "Statue bris\351e", "Ruines elfiques", "Arbre-c\234ur", "Source chaude"},
        // dungeons
        {"Crypte des rois", "Mine effondr\351e", "Caverne des \351chos", "Bastion noir", "Temple englouti", "Terrier g\351ant"},
        // towns
        {"Valbrune", "Port-Aubin", "Kestrel", "Sorvelle", "Brumefort", "Hautegarde", "Morvennec", "Pierre-Claire"},
        // routes
        {"Patrouille de la garde", "Caravane marchande", "Route du sel", "Ronde des gardes-chasse", "Chemin des p\350lerins"},
        // hunts
        {"Terrain de chasse", "Territoire des loups", "Nid de harpies", "Repaire des bandits"},
        // pets
        {"Renardeau", "Chouette", "Chat sauvage", "Salamandre", "Furet", "Corbeau"},
        // creature_phrases
        {"R\364de pr\350s de l'eau.", "Attaque \340 vue.", "Appara\356t la nuit.", "Souvent en groupe de trois.", "Fuit quand il est bless\351.", "R\351appara\356t toutes les dix minutes.", "L\342che parfois une gemme.", "Craint le feu.", "Garde l'entr\351e de la grotte."},
        // place_phrases
        {"Acc\350s par le pont au nord.", "Chemin escarp\351 : prudence.", "Passage payant : 5 pi\350ces.", "Pr\350s de la fontaine.", "Ouvert seulement le soir.", "Tr\350s fr\351quent\351 les jours de march\351.", "R\351pare l'\351quipement."},
        // resource_phrases
        {"R\351colte possible au lever du jour.", "Repousse en quelques minutes.", "Souvent gard\351 par des loups.", "Outil de r\351colte n\351cessaire."},
        // addition_new
        {"Vu ici plusieurs fois.", "Ajout\351 d'apr\350s une partie r\351cente."},
        // addition_changes
        {"Niveau confirm\351 en jeu.", "Position v\351rifi\351e en jeu.", "Encore vu r\351cemment."},
        // contributors
        {"Aldemar", "Bris\351lune", "Cathaline", "Dorvik", "Elyas", "Fenw\353", "Ga\353lle", "Hrodmar", "Ilsabet", "Joran"},
        // merchant_roles: masculine, feminine
        {{"Forgeron", "Forgeronne"}, {"Herboriste", "Herboriste"}, {"Aubergiste", "Aubergiste"}, {"Tanneur", "Tanneuse"}, {"Armurier", "Armuri\350re"}, {"Marchand", "Marchande"}, {"\311picier", "\311pici\350re"}, {"Joaillier", "Joailli\350re"}, {"Alchimiste", "Alchimiste"}},
        // trainer_roles: masculine, feminine
        {{"Ma\356tre d'armes", "Ma\356tresse d'armes"}, {"Mage", "Mage"}, {"Chasseur", "Chasseresse"}, {"Pr\352tre", "Pr\352tresse"}, {"Mineur", "Mineuse"}, {"Cuisinier", "Cuisini\350re"}, {"Couturier", "Couturi\350re"}},
        "Cartographe",
        {
            {1, 0, 0x000000, "Comportement"},
            {2, 1, 0x000000, "Agressif"},
            {3, 1, 0x000000, "Passif"},
            {4, 1, 0x000000, "Appelle \340 l'aide"},
            {5, 1, 0x000000, "Fuit"},
            {6, 1, 0x000000, "Patrouille"},
            {10, 0, 0x000000, "R\351sistances"},
            {11, 10, 0x000000, "Feu"},
            {12, 10, 0x000000, "Froid"},
            {13, 10, 0x000000, "Poison"},
            {14, 10, 0x000000, "Magie"},
            {20, 0, 0x000000, "Butin"},
            {21, 20, 0x000000, "Peau"},
            {22, 20, 0x000000, "Minerai"},
            {23, 20, 0x40C040, "Objet rare"},
            {32, 0, 0x000000, "Rang"},
            {33, 32, 0x00C0FF, "\311lite"},
            {34, 32, 0xFF8040, "Rare"},
            {35, 32, 0x2020E0, "Chef"},
            {64, 32, 0xFF40C0, "Unique"},
            {65, 0, 0x000000, "D\351placement"},
            {66, 65, 0x000000, "Vol"},
            {67, 65, 0x000000, "Nage"},
            {96, 65, 0x000000, "Fouisseur"},
        },
        "Portail vers", // portal_word
        "Banque de", // bank_word
        "\311curie de", // stable_word
        "Rep\350re", // other_word
        {"Voir aussi", "Parler \340", "Pr\350s de"},
        "Base de d\351monstration \253 Aub\351val \273",
        {
            {"Monstres", ""},
            {"Marchands", "Marchand"},
            {"Ressources", "Ressource"},
            {"Cr\351atures rares", ""},
            {"Boss", ""},
            {"Entra\356neurs", "Ma\356tre"},
            {"Qu\352tes", "Qu\352te"},
            {"Points d'int\351r\352t", ""},
            {"Donjons", "Donjon"},
            {"Portails", "Portail"},
            {"Familiers", ""},
            {"Trajets", "Trajet"},
            {"Zones de chasse", "Terrain de chasse"},
            {"Villes", ""},
            {"Banques", "Banque"},
            {"\311curies", "\311curie"},
        },
        {
            "Vmar Plotterwerk v2.52",
            "======================",
            "Dossier de d\351monstration",
            "",
            "Ce dossier a \351t\351 \351crit par make_sample. Tous les royaumes, cartes, zones, cr\351atures et",
            "personnes qu'il contient sont invent\351s pour les essais du programme.",
            "",
            "Demonstration folder",
            "",
            "This folder was written by make_sample. Every realm, map, zone, creature and person in it",
            "is invented for testing the program.",
        },
    };
    return names;
}

} // namespace sample
