#include "demo/names.h"

namespace morvane::demo {

const std::vector<std::string>& Surnames() {
  static const std::vector<std::string> names = {
      "MARTIN", "BERNARD", "THOMAS", "PETIT", "ROBERT", "RICHARD", "DURAND", "DUBOIS",
      "MOREAU", "LAURENT", "SIMON", "MICHEL", "LEFÈVRE", "LEROY", "ROUX", "DAVID",
      "BERTRAND", "MOREL", "FOURNIER", "GIRARD", "BONNET", "DUPONT", "LAMBERT", "FONTAINE",
      "ROUSSEAU", "VINCENT", "MÜLLER", "LEFÈBVRE", "FAURE", "ANDRÉ", "MERCIER", "BLANC",
      "GUÉRIN", "BOYER", "GARNIER", "CHEVALIER", "FRANÇOIS", "LEGRAND", "GAUTHIER", "GARCIA",
      "PERRIN", "ROBIN", "CLÉMENT", "MORIN", "NICOLAS", "HENRY", "ROUSSEL", "MATHIEU",
      "GAUTIER", "MASSON", "MARCHAND", "DUVAL", "DENIS", "DUMONT", "MARIE", "LEMAIRE",
      "NOËL", "MEYER", "DUFOUR", "MEUNIER", "BRUN", "BLANCHARD", "GIRAUD", "JOLY",
      "RIVIÈRE", "LUCAS", "BRUNET", "GAILLARD", "BARBIER", "ARNAUD", "MARTÍNEZ", "GÉRARD",
      "ROCHE", "RENARD", "SCHMITT", "ROY", "LEROUX", "COLIN", "VIDAL", "CARON",
      "PICARD", "ROGER", "FABRE", "AUBERT", "LEMOINE", "RENAUD", "DUMAS", "LACROIX",
      "OLIVIER", "PHILIPPE", "BOURGEOIS", "PIERRE", "BENOÎT", "REY", "LECLERC", "PAYET",
      "ROLLAND", "LECLERCQ", "GUILLAUME", "LECOMTE", "LÓPEZ", "JEAN", "DUPUY", "GUILLOT",
      "HUBERT", "BERGER", "CARPENTIER", "SÁNCHEZ", "DUPUIS", "MOULIN", "LOUIS", "DESCHAMPS",
      "HUET", "VASSEUR", "PEREZ", "BOUCHER", "FLEURY", "ROYER", "KLEIN", "JACQUET",
      "ADAM", "PARIS", "POIRIER", "MARTY", "AUBRY", "GUYOT", "CARRÉ", "CHARLES",
      "RENAULT", "CHARPENTIER", "MÉNARD", "MAILLARD", "BARON", "BERTIN", "BAILLY", "HERVÉ",
      "SCHNEIDER", "FERNANDEZ", "LE GALL", "COLLET", "LÉGER", "BOUVIER", "JULIEN", "PRÉVOST",
      "MILLET", "PERROT", "DANIEL", "LE ROUX", "COUSIN", "GERMAIN", "BRETON", "BESSON",
      "LANGLOIS", "RÉMY", "PELLETIER", "LÉVÊQUE", "PERRIER", "LEBLANC", "BARRÉ", "LEBRUN",
      "MARCHAL", "WEBER", "MALLET", "HAMON", "BOULANGER", "JACOB", "MONNIER", "MICHAUD",
      "RODRIGUEZ", "GUICHARD", "GILLET", "ÉTIENNE", "GRONDIN", "POULAIN", "TESSIER", "CHEVALLIER",
      "COLLIN", "CHAUVIN", "DA SILVA", "BOUCHET", "GAY", "LEMAÎTRE", "BÉNARD", "MARÉCHAL",
      "HUMBERT", "REYNAUD", "ANTOINE", "HOARAU", "PERRET", "BARTHÉLEMY", "CORDIER", "PICHON",
      "LEJEUNE", "GILBERT", "LAMY", "DELAUNAY", "PASQUIER", "CARLIER", "LAPORTE", "DESCOMBES",
  };
  return names;
}

const std::vector<std::string>& FemaleFirstNames() {
  static const std::vector<std::string> names = {
      "Marie", "Nathalie", "Isabelle", "Sylvie", "Catherine", "Françoise", "Valérie", "Christine",
      "Sandrine", "Véronique", "Hélène", "Céline", "Stéphanie", "Sophie", "Aurélie", "Émilie",
      "Julie", "Laëtitia", "Mélanie", "Chantal", "Brigitte", "Martine", "Monique", "Josiane",
      "Éliane", "Noëlle", "Gisèle", "Agnès", "Béatrice", "Corinne", "Danièle", "Fatima",
      "Nadia", "Samia", "Anaïs", "Léa", "Chloé", "Manon", "Inès", "Zoé",
      "Marie-Thérèse", "Anne-Sophie", "Jocelyne", "Ghislaine", "Maëlle", "Solène", "Océane", "Clémence",
  };
  return names;
}

const std::vector<std::string>& MaleFirstNames() {
  static const std::vector<std::string> names = {
      "Jean", "Pierre", "Michel", "André", "Philippe", "Alain", "Bernard", "Christophe",
      "Éric", "Frédéric", "Stéphane", "Jérôme", "Sébastien", "Hervé", "Gérard", "François",
      "Karim", "Mohamed", "Rémi", "Loïc", "Anthony", "Maxime", "Théo", "Hugo",
      "Jean-Luc", "Jean-François", "Noël", "Grégory", "Cédric", "Joël",
  };
  return names;
}

const std::vector<std::string>& StreetNames() {
  static const std::vector<std::string> names = {
      "de la République", "Jean Jaurès", "Victor Hugo", "de la Paix", "des Écoles",
      "du 8 Mai 1945", "Pasteur", "Gambetta", "de la Gare", "du Général de Gaulle",
      "des Tilleuls", "Émile Zola", "de l'Église", "du Moulin", "des Acacias",
      "Anatole France", "des Peupliers", "de la Libération", "Paul Bert", "du Marché",
      "des Mûriers", "Jules Ferry", "de Bel-Air", "des Forgerons", "du Pilat",
      "Saint-Exupéry", "de la Côte", "des Vignes", "Louis Pasteur", "Fauriel",
  };
  return names;
}

const std::vector<std::string>& AddressComplements() {
  static const std::vector<std::string> lines = {
      "Résidence les Tilleuls", "Bâtiment C", "Appartement 12", "Lieu-dit la Côte",
      "Chez Mme Perrin", "Résidence du Parc - Esc. B", "Le Clos des Vignes", "Hameau de Chavanne",
  };
  return lines;
}

const std::vector<std::string>& Observations() {
  static const std::vector<std::string> lines = {
      "Prolongation probable",
      "Certificat reçu le lendemain",
      "Remplacement assuré par l'équipe",
      "Arrêt transmis par courrier\r\nOriginal à classer",
      "Appel de l'aidant\r\nReprise à confirmer avec le médecin",
      "Demande faite par téléphone",
      "Bénéficiaires prévenus\r\nPlanning modifié\r\nVoir responsable de secteur",
      "Justificatif à fournir",
  };
  return lines;
}

}  // namespace morvane::demo
